#include "editor/display_choice.h"

#include <algorithm>
#include <cstdio>

namespace gv::editor {

std::vector<std::string> DisplayChoice::deviceItems() const {
    std::vector<std::string> items;
    items.reserve(displays_.size());
    for (const auto& d : displays_)
        items.push_back(d.description);
    return items;
}

int DisplayChoice::resolutionCount(int device) const {
    if (device < 0 || std::size_t(device) >= displays_.size()) return 1;
    return std::max<int>(1, int(displays_[std::size_t(device)].modes.size()));
}

std::vector<std::string> DisplayChoice::resolutionItems(int device) const {
    std::vector<std::string> items{"Default"};
    if (device < 0 || std::size_t(device) >= displays_.size()) return items;
    const auto& modes = displays_[std::size_t(device)].modes;
    for (std::size_t i = 1; i < modes.size(); ++i) {
        char text[48];
        std::snprintf(text, sizeof text, "%ux%u %ubits", unsigned(modes[i].width),
                      unsigned(modes[i].height), unsigned(modes[i].bitsPerPixel));
        items.emplace_back(text);
    }
    return items;
}

int DisplayChoice::fallbackResolution(int device) const {
    if (device < 0 || std::size_t(device) >= displays_.size()) return 0;
    const int fallback = platform::firstRunModeIndex(displays_[std::size_t(device)].modes);
    return fallback < resolutionCount(device) ? fallback : 0;
}

void DisplayChoice::fitRecord(SettingsModel& settings) const {
    if (displays_.empty()) return;
    if (settings.deviceIndex() >= displays_.size()) settings.setDeviceIndex(0);
    const int device = settings.deviceIndex();
    if (settings.resolutionIndex() >= resolutionCount(device))
        settings.setResolutionIndex(uint16_t(fallbackResolution(device)));
}

void DisplayChoice::chooseDevice(SettingsModel& settings, int device) const {
    if (device < 0 || std::size_t(device) >= displays_.size()) return;
    settings.setDeviceIndex(uint16_t(device));
    if (settings.resolutionIndex() != 0) {
        settings.setResolutionIndex(1);
        if (resolutionCount(device) <= 1)
            settings.setResolutionIndex(uint16_t(fallbackResolution(device)));
    }
}

} // namespace gv::editor
