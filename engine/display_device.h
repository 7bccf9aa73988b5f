#pragma once
// The display: its drivers and screen modes, the chosen mode, the front and
// back surfaces, presenting, run-time mode changes and the textures restored
// after one.
#include "engine/render_backend.h"
#include "platform/display_modes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace gv {

class Texture;
class Renderer;

using ScreenMode = platform::DisplayMode;

struct DisplayDriverInfo {
    uint32_t identifier = 0; // the display's index
    std::string description;
    std::string driverName;
    bool canRenderWindowed = true; // every GL display renders into a window
    std::vector<ScreenMode> modes;
};

inline constexpr uint32_t kNoDriver = 0xFFFFFFFFu;

class DisplayDevice {
  public:
    // Takes the drivers as found (enumerateDisplays() on a live system, made
    // up ones in tests). The last driver is selected until start-up picks one.
    DisplayDevice(std::unique_ptr<RenderBackend> backend,
                  const std::vector<platform::DisplayInfo>& displays, uint16_t desktopBits);
    ~DisplayDevice();
    DisplayDevice(const DisplayDevice&) = delete;
    DisplayDevice& operator=(const DisplayDevice&) = delete;

    std::vector<DisplayDriverInfo>& drivers() { return drivers_; }
    const std::vector<DisplayDriverInfo>& drivers() const { return drivers_; }
    uint32_t selectedDriver() const { return selectedDriver_; }
    uint32_t selectedMode() const { return selectedMode_; }

    // 0 or a result code (kErrBadIndex for an index outside the list).
    uint32_t selectDriver(uint32_t index);
    // Names and descriptions in title case, as the options overlay shows them.
    void titleCaseDriverNames();
    // 0 or a result code.
    uint32_t selectMode(uint32_t modeIndex, bool fullScreenWanted, bool flipWanted);
    bool changeMode(uint32_t modeIndex);
    uint32_t clearSurface(uint32_t color);
    uint32_t present();
    void release();

    uint16_t width() const { return width_; }
    uint16_t height() const { return height_; }
    uint8_t bitsPerPixel() const { return bits_; }
    uint16_t desktopBits() const { return desktopBits_; }
    bool fullScreen() const { return fullScreen_; }
    bool flipChain() const { return flipChain_; }
    bool surfacesExist() const { return surfaces_; }

    void registerTexture(Texture* texture);
    void unregisterTexture(Texture* texture);
    size_t registeredTextureCount() const { return registry_.size(); }

    // The renderer drawing on this device (set by start-up after create 3D).
    void setRenderer(Renderer* renderer) { renderer_ = renderer; }
    Renderer* renderer() const { return renderer_; }

    RenderBackend& backend() { return *backend_; }
    // False once the device is gone: textures that outlive it (objects that
    // go with the process) then only drop their own memory.
    std::shared_ptr<const bool> aliveToken() const { return alive_; }
    PixelFormat displayFormat() { return backend_->displayFormat(); }

  private:
    uint32_t createSurfaces();

    std::unique_ptr<RenderBackend> backend_;
    std::vector<DisplayDriverInfo> drivers_;
    uint32_t selectedDriver_ = kNoDriver;
    uint32_t selectedMode_ = 0;
    bool fullScreen_ = false;
    bool flipChain_ = false;
    bool surfaces_ = false;
    uint16_t width_ = 0, height_ = 0;
    uint8_t bits_ = 0;
    uint16_t desktopBits_ = 24;
    std::vector<Texture*> registry_;
    Renderer* renderer_ = nullptr;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// Title case in place: upper case after a space or at the start, lower case
// elsewhere.
void titleCase(std::string& text);

} // namespace gv
