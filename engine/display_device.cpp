#include "engine/display_device.h"

#include "core/log.h"
#include "engine/error_name.h"
#include "engine/texture.h"

#include <algorithm>
#include <cctype>

namespace gv {

DisplayDevice::DisplayDevice(std::unique_ptr<RenderBackend> backend,
                             const std::vector<platform::DisplayInfo>& displays,
                             uint16_t desktopBits)
    : backend_(std::move(backend)), desktopBits_(desktopBits) {
    drivers_.reserve(16);
    registry_.reserve(16);
    for (size_t i = 0; i < displays.size(); ++i) {
        DisplayDriverInfo info;
        info.identifier = uint32_t(i);
        info.description = displays[i].description.substr(0, 255);
        info.driverName = displays[i].name.substr(0, 255);
        info.modes = displays[i].modes;
        drivers_.push_back(std::move(info));
    }
    selectedDriver_ = drivers_.empty() ? kNoDriver : uint32_t(drivers_.size() - 1);
}

DisplayDevice::~DisplayDevice() {
    release();
    *alive_ = false;
}

uint32_t DisplayDevice::selectDriver(uint32_t index) {
    release();
    if (index >= drivers_.size()) {
        selectedDriver_ = kNoDriver;
        return kErrBadIndex;
    }
    selectedDriver_ = index;
    return kResultOk;
}

void titleCase(std::string& text) {
    bool start = true;
    for (char& c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        c = char(start ? std::toupper(u) : std::tolower(u));
        start = (c == ' ');
    }
}

void DisplayDevice::titleCaseDriverNames() {
    for (DisplayDriverInfo& d : drivers_) {
        titleCase(d.driverName);
        titleCase(d.description);
    }
}

uint32_t DisplayDevice::createSurfaces() {
    const uint32_t r = backend_->createSurfaces(width_, height_, flipChain_);
    if (r != kResultOk) {
        if (flipChain_)
            logWrite("(fullscreen primary surface error %s)", ErrorName(r));
        else
            logWrite("(windowed %ux%u backbuffer error %s)", unsigned(width_), unsigned(height_),
                     ErrorName(r));
        return r;
    }
    surfaces_ = true;
    backend_->clearBackBuffer(0);
    return kResultOk;
}

uint32_t DisplayDevice::selectMode(uint32_t modeIndex, bool fullScreenWanted, bool flipWanted) {
    if (selectedDriver_ >= drivers_.size()) return kErrBadIndex;
    const DisplayDriverInfo& driver = drivers_[selectedDriver_];
    if (modeIndex >= driver.modes.size()) return kErrBadIndex;
    selectedMode_ = modeIndex;

    // A driver that cannot render into a window forces full screen; GL always
    // can, so this stays for drivers that say otherwise.
    fullScreen_ = fullScreenWanted || !driver.canRenderWindowed;
    flipChain_ = fullScreen_ && flipWanted;

    const ScreenMode& mode = driver.modes[modeIndex];
    bool fellBack = false;
    if (!backend_->setWindowMode(fullScreen_, mode.width, mode.height, mode.bitsPerPixel,
                                 fellBack)) {
        logWrite(fullScreen_ ? "(dddisplaymode error)" : "(ddcooperative error)");
        return kErrInvalidMode;
    }
    if (fullScreen_ && !fellBack) {
        width_ = mode.width;
        height_ = mode.height;
        bits_ = uint8_t(mode.bitsPerPixel);
    } else {
        if (fellBack)
            logWrite("(display mode %ux%u %ubits refused, desktop size kept)", unsigned(mode.width),
                     unsigned(mode.height), unsigned(mode.bitsPerPixel));
        uint32_t w = 0, h = 0;
        backend_->clientSize(w, h);
        width_ = uint16_t(w);
        height_ = uint16_t(h);
        bits_ = uint8_t(desktopBits_);
    }
    return createSurfaces();
}

bool DisplayDevice::changeMode(uint32_t modeIndex) {
    if (selectedDriver_ >= drivers_.size()) return false;
    const DisplayDriverInfo& driver = drivers_[selectedDriver_];
    if (modeIndex >= driver.modes.size()) return false;
    backend_->releaseSurfaces();
    surfaces_ = false;
    const ScreenMode& mode = driver.modes[modeIndex];
    bool fellBack = false;
    if (!backend_->setWindowMode(fullScreen_, mode.width, mode.height, mode.bitsPerPixel, fellBack))
        return false;
    if (fullScreen_ && !fellBack) {
        width_ = mode.width;
        height_ = mode.height;
    } else {
        uint32_t w = 0, h = 0;
        backend_->clientSize(w, h);
        width_ = uint16_t(w);
        height_ = uint16_t(h);
    }
    bits_ = uint8_t(fullScreen_ && !fellBack ? mode.bitsPerPixel : desktopBits_);
    selectedMode_ = modeIndex;
    if (createSurfaces() != kResultOk) return true;
    for (size_t i = 0; i < registry_.size(); ++i) {
        const uint32_t r = registry_[i]->restore();
        if (r != kResultOk)
            logWrite("(Unable to restore surface %u after resolution change -> %s)", unsigned(i),
                     ErrorName(r));
    }
    return true;
}

uint32_t DisplayDevice::clearSurface(uint32_t color) {
    if (!surfaces_) return kErrSurfaceLost;
    return backend_->clearBackBuffer(color);
}

uint32_t DisplayDevice::present() {
    if (!surfaces_) return kErrSurfaceLost;
    return backend_->present();
}

void DisplayDevice::release() {
    if (surfaces_) backend_->releaseSurfaces();
    surfaces_ = false;
    if (fullScreen_) {
        bool fellBack = false;
        backend_->setWindowMode(false, 0, 0, 0, fellBack);
        fullScreen_ = false;
    }
}

void DisplayDevice::registerTexture(Texture* texture) {
    registry_.push_back(texture);
}

void DisplayDevice::unregisterTexture(Texture* texture) {
    registry_.erase(std::remove(registry_.begin(), registry_.end(), texture), registry_.end());
}

} // namespace gv
