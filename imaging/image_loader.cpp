#include "imaging/image_loader.h"

#include "imaging/bmp_decoder.h"
#include "imaging/gif_decoder.h"
#include "imaging/jpeg_decoder.h"
#include "imaging/pcx_decoder.h"
#include "imaging/png_decoder.h"
#include "imaging/tga_decoder.h"

#include <atomic>
#include <fstream>
#include <memory>
#include <new>

namespace gv {

namespace {

std::atomic<ImageLoadObserver> gLoadObserver{nullptr};

uint32_t paletteKindOf(uint32_t bits) {
    switch (bits) {
    case 24:
        return 0;
    case 8:
        return 1;
    case 4:
        return 2;
    case 1:
        return 5;
    default:
        return 6;
    }
}

} // namespace

void setImageLoadObserver(ImageLoadObserver observer) {
    gLoadObserver.store(observer);
}

bool ImageLoader::load(const std::string& path) {
    if (const ImageLoadObserver observer = gLoadObserver.load()) observer(path);
    refusal_.clear();
    if (path.empty()) return false;
    // Read whole, in one piece: the size first, then the bytes.
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return false;
    const std::streamoff size = in.tellg();
    if (size <= 0 || uint64_t(size) > kMaxImageFileBytes) return false;
    // Not zero-filled first: every byte is read over.
    const std::unique_ptr<uint8_t[]> bytes(new (std::nothrow) uint8_t[size_t(size)]);
    if (!bytes) return false;
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.get()), size)) return false;
    in.close();
    return loadBytes(std::span<const uint8_t>(bytes.get(), size_t(size)));
}

bool ImageLoader::loadBytes(std::span<const uint8_t> bytes) {
    refusal_.clear();
    if (bytes.empty()) return false;
    using Decoder = bool (*)(std::span<const uint8_t>, DecodedImage&);
    static constexpr Decoder kDecoders[] = {decodeBmp, decodePcx,  decodeGif,
                                            decodeTga, decodeJpeg, decodePng};
    for (Decoder decode : kDecoders) {
        DecodedImage image;
        if (!decode(bytes, image)) {
            if (refusal_.empty()) refusal_ = std::move(image.refusal);
            continue;
        }
        PackedDib& p = image.picture;
        if (p.field(dib::kXPelsPerMeter) == 0 && p.field(dib::kYPelsPerMeter) == 0)
            p.setResolution(kDefaultPixelsPerMetre, kDefaultPixelsPerMetre);
        picture_ = std::move(p);
        format_ = image.format;
        transparent_ = image.transparentColour;
        channels_ = image.channels;
        paletteKind_ = paletteKindOf(picture_.bits());
        refusal_.clear();
        return true;
    }
    return false;
}

void ImageLoader::reset() {
    picture_.reset();
    format_ = ImageFormat::None;
    transparent_ = 0;
    channels_ = PictureChannels::Colour;
    paletteKind_ = 6;
    refusal_.clear();
}

} // namespace gv
