#include "platform/display_modes.h"

#include <SDL.h>

#include <utility>

namespace gv::platform {

uint64_t modeSortKey(const DisplayMode& mode) {
    return (uint64_t(mode.width) * 4096u + mode.height) * 256u + mode.bitsPerPixel;
}

std::vector<DisplayMode> buildModeList(const DisplayMode& desktop,
                                       const std::vector<DisplayMode>& reported) {
    std::vector<DisplayMode> modes;
    modes.reserve(16);
    modes.push_back(desktop);
    for (const DisplayMode& m : reported) {
        if (m.width <= 400 || m.bitsPerPixel <= 8) continue;
        modes.push_back(m);
    }
    for (size_t i = 1; i + 1 < modes.size(); ++i)
        for (size_t j = i + 1; j < modes.size(); ++j)
            if (modeSortKey(modes[i]) > modeSortKey(modes[j])) std::swap(modes[i], modes[j]);
    return modes;
}

uint16_t firstRunModeIndex(const std::vector<DisplayMode>& modes) {
    for (size_t i = 0; i < modes.size(); ++i)
        if (modes[i].width == 640 && modes[i].height == 480 && modes[i].bitsPerPixel == 16)
            return uint16_t(i);
    return 1;
}

namespace {

DisplayMode fromSdl(const SDL_DisplayMode& m) {
    DisplayMode d;
    d.width = uint16_t(m.w);
    d.height = uint16_t(m.h);
    d.bitsPerPixel = uint16_t(SDL_BITSPERPIXEL(m.format));
    d.refreshRate = uint16_t(m.refresh_rate);
    return d;
}

} // namespace

std::vector<DisplayInfo> enumerateDisplays() {
    std::vector<DisplayInfo> out;
    const bool ownInit = !SDL_WasInit(SDL_INIT_VIDEO);
    if (ownInit) {
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return out;
    }
    const int count = SDL_GetNumVideoDisplays();
    const char* driver = SDL_GetCurrentVideoDriver();
    for (int i = 0; i < count; ++i) {
        DisplayInfo info;
        const char* name = SDL_GetDisplayName(i);
        info.name = name ? name : "display";
        info.description = std::string(driver ? driver : "video") + " display " +
                           std::to_string(i) + " " + info.name;
        SDL_DisplayMode desk{};
        if (SDL_GetDesktopDisplayMode(i, &desk) != 0) continue;
        std::vector<DisplayMode> reported;
        const int n = SDL_GetNumDisplayModes(i);
        for (int j = 0; j < n; ++j) {
            SDL_DisplayMode m{};
            if (SDL_GetDisplayMode(i, j, &m) == 0) reported.push_back(fromSdl(m));
        }
        DisplayMode desktop = fromSdl(desk);
        desktop.refreshRate = 0;
        info.modes = buildModeList(desktop, reported);
        out.push_back(std::move(info));
    }
    if (ownInit) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return out;
}

uint16_t desktopBitsPerPixel() {
    SDL_DisplayMode desk{};
    if (!SDL_WasInit(SDL_INIT_VIDEO) || SDL_GetDesktopDisplayMode(0, &desk) != 0) return 24;
    return uint16_t(SDL_BITSPERPIXEL(desk.format));
}

} // namespace gv::platform
