#include "imaging/png_decoder.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace gv {

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Room for one ancillary chunk, compressed or not.
constexpr png_alloc_size_t kChunkBytes = png_alloc_size_t(8) << 20;
// The chunks that change nothing here (text, times, colour spaces and
// profiles, gamma: the pixels are taken as they are): skipped unread, so
// that none of them costs memory or time.
constexpr png_byte kIgnoredChunks[] = "bKGD\0cHRM\0eXIf\0gAMA\0hIST\0iCCP\0iTXt\0oFFs\0"
                                      "pCAL\0pHYs\0sBIT\0sCAL\0sPLT\0sRGB\0tEXt\0tIME\0zTXt";
constexpr int kIgnoredChunkCount = 17;
static_assert(sizeof kIgnoredChunks == kIgnoredChunkCount * 5);

// Every chunk's length lies within the file: a length from the file is
// never taken for an allocation larger than the file (the library gives a
// text chunk what its header claims).
bool chunksFitTheFile(std::span<const uint8_t> file) {
    size_t at = sizeof kSignature;
    while (at < file.size()) {
        if (file.size() - at < 12) return false;
        const uint64_t length = uint64_t(file[at]) << 24 | uint64_t(file[at + 1]) << 16 |
                                uint64_t(file[at + 2]) << 8 | file[at + 3];
        if (length > file.size() - at - 12) return false;
        if (std::memcmp(file.data() + at + 4, "IEND", 4) == 0) return true;
        at += 12 + size_t(length);
    }
    return false;
}

// What the library's callbacks touch: plain data only, so that a jump out of
// the library passes no destructor.
struct PngSource {
    const uint8_t* data;
    size_t size;
    size_t at;
    char error[160];
};

void readBytes(png_structp png, png_bytep out, size_t count) {
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (count > source->size - source->at) png_error(png, "the file ends early");
    std::memcpy(out, source->data + source->at, count);
    source->at += count;
}

// The library's errors end in a jump back to the step that was running.
void onError(png_structp png, png_const_charp message) {
    auto* source = static_cast<PngSource*>(png_get_error_ptr(png));
    std::snprintf(source->error, sizeof source->error, "%s", message ? message : "error");
    png_longjmp(png, 1);
}

// Warnings (an ancillary chunk's bad checksum, say) change nothing that is used.
void onWarning(png_structp, png_const_charp) {}

struct PngShape {
    png_uint_32 width = 0, height = 0;
    int channels = 0; // after the transforms: 1 grey, 3 BGR, 4 BGRA
    int depth = 0;
    size_t rowBytes = 0;
};

// The header, and the transforms that turn every kind of PNG into rows of
// 8-bit greys, BGR or BGRA. False after a library error. Only plain data
// lives in this frame, which the jump returns to.
bool readHeader(png_structp png, png_infop info, PngShape& shape) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_info(png, info);
    png_uint_32 width = 0, height = 0;
    int depth = 0, type = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &type, nullptr, nullptr, nullptr);
    const bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    const bool alpha = (type & PNG_COLOR_MASK_ALPHA) != 0 || transparency;
    const bool grey = (type & PNG_COLOR_MASK_COLOR) == 0;
    if (depth == 16) png_set_scale_16(png);
    if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (grey && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (transparency) png_set_tRNS_to_alpha(png);
    if (grey && alpha) png_set_gray_to_rgb(png);
    if (!grey || alpha) png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    shape.width = width;
    shape.height = height;
    shape.channels = png_get_channels(png, info);
    shape.depth = png_get_bit_depth(png, info);
    shape.rowBytes = png_get_rowbytes(png, info);
    return true;
}

// Every row (all passes of an interlaced picture), then the chunks after
// the image data, their checksums checked. False after a library error.
bool readRows(png_structp png, png_infop info, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_image(png, rows);
    png_read_end(png, info);
    return true;
}

class ReadStruct {
  public:
    explicit ReadStruct(PngSource& source)
        : png_(png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, onError, onWarning)),
          info_(png_ ? png_create_info_struct(png_) : nullptr) {
        if (!png_ || !info_) return;
        png_set_read_fn(png_, &source, readBytes);
        // The library refuses larger sides before it allocates for them.
        png_set_user_limits(png_, kMaxPictureSide, kMaxPictureSide);
        png_set_chunk_malloc_max(png_, kChunkBytes);
        png_set_keep_unknown_chunks(png_, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
        png_set_keep_unknown_chunks(png_, PNG_HANDLE_CHUNK_NEVER, kIgnoredChunks,
                                    kIgnoredChunkCount);
    }
    ~ReadStruct() {
        if (png_) png_destroy_read_struct(&png_, info_ ? &info_ : nullptr, nullptr);
    }
    ReadStruct(const ReadStruct&) = delete;
    ReadStruct& operator=(const ReadStruct&) = delete;
    bool ready() const { return png_ && info_; }
    png_structp png() const { return png_; }
    png_infop info() const { return info_; }

  private:
    png_structp png_;
    png_infop info_;
};

} // namespace

bool decodePng(std::span<const uint8_t> file, DecodedImage& out) {
    if (file.size() < sizeof kSignature || std::memcmp(file.data(), kSignature, sizeof kSignature))
        return false;
    if (!chunksFitTheFile(file)) {
        out.refusal = "PNG: a chunk runs past the end of the file, or there is no end chunk";
        return false;
    }
    PngSource source{file.data(), file.size(), 0, {}};
    ReadStruct read(source);
    if (!read.ready()) {
        out.refusal = "PNG: the library could not start";
        return false;
    }
    PngShape shape;
    if (!readHeader(read.png(), read.info(), shape)) {
        out.refusal = std::string("PNG: ") + source.error;
        return false;
    }
    const int c = shape.channels;
    if ((c != 1 && c != 3 && c != 4) || shape.depth != 8 ||
        shape.rowBytes != size_t(shape.width) * size_t(c)) {
        out.refusal = "PNG: a pixel layout the decoder does not take";
        return false;
    }
    const uint32_t bits = c == 1 ? 8 : c == 3 ? 24 : 32;
    if (!out.picture.allocate(shape.width, shape.height, bits, c == 1 ? 256 : 0)) {
        out.refusal = "PNG: a picture of " + std::to_string(shape.width) + " x " +
                      std::to_string(shape.height) + " is larger than the loader takes";
        return false;
    }
    if (c == 1)
        for (uint32_t i = 0; i < 256; ++i)
            out.picture.setColour(i, uint8_t(i), uint8_t(i), uint8_t(i));
    // The file's rows run top down, the picture's bottom up.
    std::vector<png_bytep> rows(shape.height);
    for (uint32_t y = 0; y < shape.height; ++y)
        rows[y] = out.picture.row(shape.height - 1 - y);
    if (!readRows(read.png(), read.info(), rows.data())) {
        out.picture.reset();
        out.refusal = std::string("PNG: ") + source.error;
        return false;
    }
    out.format = ImageFormat::Png;
    out.channels = c == 4                                    ? PictureChannels::Alpha
                   : c == 1 || isGreyPicture(out.picture, 0) ? PictureChannels::Grey
                                                             : PictureChannels::Colour;
    return true;
}

} // namespace gv
