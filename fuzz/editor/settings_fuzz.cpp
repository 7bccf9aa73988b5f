// Any bytes as a settings file shown in the Options tab, and as cloud hints:
// every control gets a position it can show, a bar moved to a position shows
// that position again, and the hints never write past the twenty colours.
#include "editor/cloud_hints.h"
#include "editor/display_choice.h"
#include "editor/settings_model.h"

#include <cstdlib>
#include <string>

using namespace gv::editor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SettingsModel m;
    m.overlayFile(std::span(data, size));
    const auto original = m.bytes();
    for (const SettingRow& row : settingRows()) {
        const int p = m.position(row.setting);
        if (row.control == ControlKind::TrackBar && (p < row.low || p > row.high)) std::abort();
        if ((row.control == ControlKind::DropDown || row.control == ControlKind::RadioButtons) &&
            row.setting != Setting::DeviceIndex && row.setting != Setting::ResolutionIndex &&
            p != -1 && (p < row.low || p > row.high))
            std::abort();
    }
    for (Setting s : {Setting::TitleColour, Setting::SubtitleColour, Setting::LabelColour,
                      Setting::ClockColour})
        if (m.swatchRgb(s) > 0xFFFFFFu) std::abort();
    (void)m.cloudServerHost();
    (void)m.cloudImagePath();
    const std::string hints = cloudHintsText(m);

    // Bars moved by the user show where they were moved.
    for (const SettingRow& row : settingRows()) {
        if (row.control != ControlKind::TrackBar) continue;
        const bool cameraRow =
            row.setting == Setting::CameraSpeed || row.setting == Setting::CameraDistance;
        if (cameraRow && m.selectedCamera() < 0) continue;
        const int want = row.low + int(size % std::size_t(row.high - row.low + 1));
        m.setPosition(row.setting, want);
        if (m.position(row.setting) != want) std::abort();
    }

    // The same bytes as the hints' text: at most the twenty colours change.
    SettingsModel h;
    h.overlayFile(original);
    (void)applyCloudHints(h, std::string_view(reinterpret_cast<const char*>(data), size));
    for (std::size_t off = 0; off < original.size(); ++off)
        if ((off < 1032 || off >= 1112) && h.bytes()[off] != original[off]) std::abort();
    if (applyCloudHints(h, hints)) std::abort(); // the record's own text always reads back

    DisplayChoice none({});
    none.fitRecord(h);
    return 0;
}
