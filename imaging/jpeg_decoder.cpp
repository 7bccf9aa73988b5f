#include "imaging/jpeg_decoder.h"

#include <turbojpeg.h>

#include <string>

namespace gv {

namespace {

// Greys may stray this far from each other in a grey picture stored in
// colour, through the rounding of the colour conversion.
constexpr uint32_t kGreyTolerance = 2;

class Decompressor {
  public:
    Decompressor() : handle_(tjInitDecompress()) {}
    ~Decompressor() {
        if (handle_) tjDestroy(handle_);
    }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
    tjhandle get() const { return handle_; }
    std::string error() const { return tjGetErrorStr2(handle_); }

  private:
    tjhandle handle_;
};

// Whether the frame is progressive: such a frame is decoded through
// coefficient buffers for the whole picture. False when no frame header is
// found before the scan data; the library then has its say.
bool isProgressive(std::span<const uint8_t> file) {
    size_t at = 2;
    while (at + 4 <= file.size()) {
        if (file[at] != 0xFF) return false;
        const uint8_t marker = file[at + 1];
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) { // no length
            at += 2;
            continue;
        }
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) return (marker & 3) == 2;
        if (marker == 0xDA || marker == 0xD9) return false; // scan data, end of image
        const uint32_t length = uint32_t(file[at + 2]) << 8 | file[at + 3];
        if (length < 2) return false;
        at += 2 + length;
    }
    return false;
}

} // namespace

bool decodeJpeg(std::span<const uint8_t> file, DecodedImage& out) {
    // The start-of-image marker and the next marker's first byte.
    if (file.size() < 3 || file[0] != 0xFF || file[1] != 0xD8 || file[2] != 0xFF) return false;
    Decompressor tj;
    if (!tj.get()) {
        out.refusal = "JPEG: the library could not start";
        return false;
    }
    const unsigned char* bytes = file.data();
    const auto size = static_cast<unsigned long>(file.size());
    int width = 0, height = 0, subsampling = 0, colourSpace = 0;
    if (tjDecompressHeader3(tj.get(), bytes, size, &width, &height, &subsampling, &colourSpace) !=
        0) {
        out.refusal = "JPEG: " + tj.error();
        return false;
    }
    if (colourSpace == TJCS_CMYK || colourSpace == TJCS_YCCK) {
        out.refusal = "JPEG: CMYK pictures are not taken";
        return false;
    }
    if (width <= 0 || height <= 0) {
        // Cut off before its frame header: no size to speak of.
        out.refusal = "JPEG: the file ends before the picture's size";
        return false;
    }
    const bool grey = colourSpace == TJCS_GRAY;
    const uint32_t bits = grey ? 8 : 24;
    // A progressive frame keeps two bytes a coefficient for every component
    // of the whole picture (blocks of 8 x 8, edges rounded up): within the
    // same cap as the picture itself.
    const uint64_t blocks = (uint64_t(width) + 15) / 8 * ((uint64_t(height) + 15) / 8);
    if ((isProgressive(file) && blocks * 64 * 2 * (grey ? 1 : 3) > kMaxPictureBytes) ||
        !out.picture.allocate(uint32_t(width), uint32_t(height), bits, grey ? 256 : 0)) {
        out.picture.reset();
        out.refusal = "JPEG: a picture of " + std::to_string(width) + " x " +
                      std::to_string(height) + " is larger than the loader takes";
        return false;
    }
    if (grey)
        for (uint32_t i = 0; i < 256; ++i)
            out.picture.setColour(i, uint8_t(i), uint8_t(i), uint8_t(i));
    // Rows straight into the picture, bottom row first; a warning (data cut
    // short or corrupt) refuses the file as an error does.
    const int flags =
        TJFLAG_BOTTOMUP | TJFLAG_ACCURATEDCT | TJFLAG_STOPONWARNING | TJFLAG_LIMITSCANS;
    if (tjDecompress2(tj.get(), bytes, size, out.picture.pixels(), width, int(out.picture.stride()),
                      height, grey ? TJPF_GRAY : TJPF_BGR, flags) != 0) {
        out.picture.reset();
        out.refusal = "JPEG: " + tj.error();
        return false;
    }
    out.format = ImageFormat::Jpeg;
    out.channels = grey || isGreyPicture(out.picture, kGreyTolerance) ? PictureChannels::Grey
                                                                      : PictureChannels::Colour;
    return true;
}

} // namespace gv
