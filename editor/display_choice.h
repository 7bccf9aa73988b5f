#pragma once
// The device and resolution drop-downs over the displays that the platform
// lists. The globe takes its modes from the same list, so a stored index
// names the same mode in both programs: item 0 is "Default" (the desktop),
// item i the list's mode i.
#include "editor/settings_model.h"
#include "platform/display_modes.h"

#include <string>
#include <vector>

namespace gv::editor {

class DisplayChoice {
  public:
    explicit DisplayChoice(std::vector<platform::DisplayInfo> displays)
        : displays_(std::move(displays)) {}

    bool empty() const { return displays_.empty(); }
    std::vector<std::string> deviceItems() const;
    // "Default", then "640x480 16bits" and so on; just "Default" for a device
    // that is not in the list.
    std::vector<std::string> resolutionItems(int device) const;
    // The first 640 x 480 mode at 16 bits, else entry 1 (entry 0 when the
    // device lists no mode besides the desktop).
    int fallbackResolution(int device) const;

    // Brings the record's indices inside the lists before they are shown: a
    // device index beyond the list becomes 0, a resolution index beyond the
    // device's list becomes the fallback. With no display found the record
    // keeps what it holds: there is nothing to check it against.
    void fitRecord(SettingsModel& settings) const;
    // Another device chosen: a resolution other than "Default" becomes
    // entry 1 (or the fallback when the new device has no entry 1).
    void chooseDevice(SettingsModel& settings, int device) const;

  private:
    int resolutionCount(int device) const;
    std::vector<platform::DisplayInfo> displays_;
};

} // namespace gv::editor
