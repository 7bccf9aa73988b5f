#pragma once
// Lines of text in one bitmap font, each drawn once into a texture and kept
// there, so that a line drawn again is one quad instead of one per glyph (the
// labels of the places, hundreds a frame). A line's texels are the font
// sheet's own, glyph after glyph, so that a quad over them at the scale of
// the glyph quads shows the same pixels; only bilinear filtering between two
// glyphs differs, where the sheet has its gap and the line the next glyph.
//
// The texture is 2048 texels wide and grows from 256 rows to at most 4096
// (16 MiB at 16 bits: some 2000 names of places, all 1306 built-in ones with
// room for their times). When it runs full, a line
// that finds no room is refused (its caller draws it glyph by glyph); at the
// next frame, if most lines were not used in the last one, they are all
// dropped and those still drawn come back as they are drawn.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace gv {

class BitmapFont;
class DisplayDevice;
class Texture;

class TextAtlas {
  public:
    static constexpr uint32_t kWidth = 2048;
    static constexpr uint32_t kFirstHeight = 256;
    static constexpr uint32_t kMaxHeight = 4096;
    static constexpr std::size_t kMaxLine = 32; // longer lines are refused
    static constexpr std::size_t kMaxLines = 6144;

    // A line's texels: from (x, y), width by the font's line height, with a
    // border of one transparent texel round it. Outside its ink box (offsets
    // from (x, y), one texel wider on each side than the texels with alpha)
    // every sample of the line is clear, so a quad over the ink box alone
    // leaves the same pixels as one over the whole line.
    struct Line {
        uint16_t x = 0, y = 0, width = 0;
        uint16_t inkLeft = 0, inkTop = 0, inkRight = 0, inkBottom = 0; // right, bottom exclusive
    };

    TextAtlas(DisplayDevice& device, const BitmapFont& font);
    ~TextAtlas();
    TextAtlas(const TextAtlas&) = delete;
    TextAtlas& operator=(const TextAtlas&) = delete;

    const BitmapFont& font() const { return font_; }
    // Once a frame, before its lines are looked up.
    void beginFrame();
    // The line (no line break, no colour escape) in the atlas, drawn into it
    // first when new; null when it has no room, is too long or the font has
    // no sheet. Nothing is allocated unless the texture grows.
    const Line* find(const char* text, std::size_t length);

    Texture* texture() const { return texture_.get(); }
    uint32_t height() const;
    uint32_t lineHeight() const { return lineHeight_; }
    std::size_t lineCount() const { return count_; }
    // How many lines have been drawn into the texture so far.
    uint64_t linesDrawn() const { return drawn_; }
    // The line whose texels hold (x, y), and its text; null for none.
    const Line* lineAt(uint32_t x, uint32_t y) const;
    const char* textAt(uint32_t x, uint32_t y) const;

  private:
    struct Slot {
        char text[kMaxLine + 1] = {};
        uint8_t length = 0;
        bool used = false;
        Line line;
        uint64_t lastFrame = 0;
    };
    const Slot* slotAt(uint32_t x, uint32_t y) const;
    bool ensureTexture();
    bool allocate(uint32_t width, Line& line);
    // Draws the line's glyphs into its texels and finds its ink box.
    void draw(const char* text, std::size_t length, Line& line);
    void inkBox(Line& line) const;
    void clear();

    DisplayDevice& device_;
    const BitmapFont& font_;
    std::unique_ptr<Texture> texture_;
    std::vector<Slot> slots_;
    uint32_t lineHeight_ = 0;
    uint32_t key_ = 0; // the sheet's transparent texel
    uint32_t penX_ = 0, penY_ = 0;
    std::size_t count_ = 0;
    uint64_t frame_ = 1;
    uint64_t drawn_ = 0;
    bool ranFull_ = false;
    bool failed_ = false;
};

} // namespace gv
