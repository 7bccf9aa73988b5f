// What the locations manager shows over the flat map once it is open: the
// highlighted place, the two lists with their titles and key hints (or,
// with the lists hidden, only a summary), or the insert form.
#include "engine/bitmap_font.h"
#include "engine/renderer.h"
#include "locations/insert_form.h"
#include "locations/locations_files.h"
#include "locations/locations_manager.h"

namespace gv {

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kKeyGrey = 0xFFCFCFCFu;
constexpr uint32_t kKeyBox = 0xAF102040u;
// Up, down, left and right in the key-hint font.
constexpr const char kArrowKeys[] = "\xE1\xE2\xDF\xE0";

constexpr const char* kAvailableKeys[5] = {
    "[\tFFFFFF00ENTER\tFFCFCFCF] select",
    "[\tFFFFFF00INS\tFFCFCFCF] add new location",
    "[\tFFFFFF00CTRL+DEL\tFFCFCFCF]\tFFFFFFFF remove\tFFCFCFCF location",
    "[\tFFFFFF00TAB\tFFCFCFCF] lists on|off",
    "[\tFFFFFF00F10\tFFCFCFCF] clouds on|off",
};
constexpr const char* kSelectedKeys[5] = {
    "[\tFFFFFF00ENTER\tFFCFCFCF] unselect",
    "[\tFFFFFF00DEL\tFFCFCFCF] unselect",
    "[\tFFFFFF00CTRL+DEL\tFFCFCFCF] clear selections",
    "[\tFFFFFF00TAB\tFFCFCFCF] lists on|off",
    "[\tFFFFFF00F10\tFFCFCFCF] clouds on|off",
};
constexpr const char* kAvailableSummary =
    "[\tFFFFFF00ENTER\tFFFFFFFF] [\tFFFFFF00INS\tFFFFFFFF] [\tFFFFFF00CTRL+DEL\tFFFFFFFF] "
    "[\tFFFFFF00TAB\tFFFFFFFF] [\tFFFFFF00F10\tFFFFFFFF]";
constexpr const char* kSelectedSummary =
    "[\tFFFFFF00ENTER\tFFFFFFFF] [\tFFFFFF00DEL\tFFFFFFFF] [\tFFFFFF00CTRL+DEL\tFFFFFFFF] "
    "[\tFFFFFF00TAB\tFFFFFFFF] [\tFFFFFF00F10\tFFFFFFFF]";
constexpr const char* kAvailableTitle = "AVAILABLE LOCATIONS";
constexpr const char* kSelectedTitle = "SELECTED LOCATIONS";

void text(const BitmapFont& font, float x, float y, uint32_t colour, float scaleY, const char* s) {
    locations().bound.renderer->drawText(font, x, y, kWidgetTextDepth, colour, 0.5f, scaleY, "%s",
                                         s);
}

void drawPlaces(const LocationsState& s, const LocationsFrame& frame) {
    if (s.listsPanel->focusIndex() == 0) {
        if (!s.places.empty()) drawManagerLocation(uint32_t(s.availableList->cursor), true, frame);
        return;
    }
    const std::vector<uint32_t>& chosen = s.places.selection();
    for (uint32_t index : chosen)
        drawManagerLocation(index, false, frame);
    const std::size_t cursor = std::size_t(s.selectedList->cursor);
    if (cursor < chosen.size()) drawManagerLocation(chosen[cursor], true, frame);
}

void drawListsShown(const LocationsState& s) {
    const LocationsBinding& b = s.bound;
    const WidgetRect& available = s.availableList->rect();
    const WidgetRect& selected = s.selectedList->rect();
    b.renderer->bindTexture(nullptr);
    b.renderer->drawScreenRect(float(selected.left), float(selected.bottom + 8),
                               float(selected.right), float(available.bottom), kKeyBox, false,
                               kWidgetFillDepth);
    s.listsPanel->draw();
    const BitmapFont& font = *b.mainFont;
    text(font, float(available.left), float(available.top - 25), kWhite, 0.8f, kAvailableTitle);
    text(font, float(selected.left), float(selected.top - 25), kWhite, 0.8f, kSelectedTitle);
    text(font, float(available.left), float(available.bottom + 8), kWhite, 0.8f, "type to search");
    const float x = float(selected.left + 3);
    if (b.hintFont) text(*b.hintFont, x, float(selected.bottom + 8), kKeyGrey, 0.5f, kArrowKeys);
    const auto& keys = s.listsPanel->focusIndex() == 0 ? kAvailableKeys : kSelectedKeys;
    for (int i = 0; i < 5; ++i)
        text(font, x, float(selected.bottom + 25 + 13 * i), kKeyGrey, 0.5f, keys[i]);
}

void drawListsHidden(const LocationsState& s) {
    const LocationsBinding& b = s.bound;
    const WidgetRect& available = s.availableList->rect();
    const bool availableFocused = s.listsPanel->focusIndex() == 0;
    const float left = float(available.left);
    if (b.hintFont) text(*b.hintFont, left, float(available.bottom + 28), kWhite, 0.8f, kArrowKeys);
    text(*b.mainFont, left, float(available.bottom + 10), kWhite, 0.8f,
         availableFocused ? kAvailableTitle : kSelectedTitle);
    text(*b.mainFont, left + 64.0f, float(available.bottom + 30), kWhite, 0.5f,
         availableFocused ? kAvailableSummary : kSelectedSummary);
}

} // namespace

void drawManagerInterface(const LocationsFrame& frame) {
    const LocationsState& s = locations();
    const LocationsManager& m = locationsManager();
    if (!s.listsPanel || !s.bound.renderer || !s.bound.mainFont) return;
    if (m.insertMode) {
        drawInsertForm();
        return;
    }
    drawPlaces(s, frame);
    if (m.listsVisible)
        drawListsShown(s);
    else
        drawListsHidden(s);
}

} // namespace gv
