#include "locations/insert_form.h"

#include "engine/renderer.h"
#include "formats/time_zones.h"
#include "locations/location_lists.h"
#include "locations/locations_files.h"
#include "locations/locations_host.h"

#include <new>

namespace gv {

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kEditBackground = 0x80304060u;
constexpr const char* kDigits = "0123456789";

struct FieldSpec {
    WidgetRect rect;
    uint16_t maxLength;
    const char* filter;
    const char* caption;
};

// Name, latitude degrees, minutes and N|S, longitude degrees, minutes and E|W.
constexpr FieldSpec kFields[kFormEditCount] = {
    {{98, 145, 450, 165}, 30, nullptr, "Name"}, {{98, 198, 158, 218}, 2, kDigits, "Hour"},
    {{162, 198, 222, 218}, 2, kDigits, "Min"},  {{226, 198, 282, 218}, 1, "nNsS", "N|S"},
    {{98, 251, 158, 281}, 3, kDigits, "Hour"},  {{162, 251, 222, 281}, 2, kDigits, "Min"},
    {{226, 251, 282, 281}, 1, "eEwW", "E|W"},
};
constexpr WidgetRect kTimeZoneRect{300, 198, 390, 271};
constexpr const char* kTimeZoneCaption = "Timezone";

void post(const char* title, const char* subtitle) {
    locationsHost().postMessage(title, subtitle);
}

// The fields hold decimal digits only.
unsigned wholeNumber(const OverlayEdit& field) {
    unsigned value = 0;
    for (const char* c = field.text(); *c >= '0' && *c <= '9'; ++c)
        value = value * 10 + unsigned(*c - '0');
    return value;
}

void text(float x, float y, float scaleY, const char* s) {
    const LocationsBinding& b = locations().bound;
    b.renderer->drawText(*b.mainFont, x, y, kWidgetTextDepth, kWhite, 0.5f, scaleY, "%s", s);
}

} // namespace

void createInsertForm() {
    LocationsState& s = locations();
    s.formPanel = std::make_unique<OverlayPanel>(s.bound.renderer);
    for (int i = 0; i < kFormEditCount; ++i) {
        const FieldSpec& f = kFields[i];
        s.formEdits[std::size_t(i)] = &s.formPanel->add<OverlayEdit>(
            s.bound.mainFont, 0.5f, 0.5f, f.rect, f.maxLength, f.filter, kWhite, kEditBackground);
    }
    s.timeZoneList = &s.formPanel->add<OverlayList>(s.bound.mainFont, 0.5f, 0.5f, kTimeZoneRect,
                                                    kLocationListColours);
    for (const char* label : TimeZoneTable::labels)
        s.timeZoneList->items.push_back(label);
    s.timeZoneList->clamp();
}

void clearInsertForm() {
    LocationsState& s = locations();
    if (!s.formPanel) return;
    for (OverlayEdit* e : s.formEdits)
        e->setText("");
    s.formPanel->setFocus(0);
}

bool insertNewLocation() {
    LocationsState& s = locations();
    if (!s.formPanel) return false;
    for (const OverlayEdit* e : s.formEdits)
        if (e->length() == 0) {
            post("PLEASE FILL ALL THE FIELDS", "ERROR");
            return false;
        }
    const auto& f = s.formEdits;
    bool added = false;
    try {
        const float latitude =
            decimalFromEntry(wholeNumber(*f[1]), wholeNumber(*f[2]), f[3]->text()[0]);
        const float longitude =
            decimalFromEntry(wholeNumber(*f[4]), wholeNumber(*f[5]), f[6]->text()[0]);
        const int zone = TimeZoneTable::offsetOfIndex(s.timeZoneList->cursor);
        // False for a database as large as the reader takes: it holds no more.
        added = appendPlace(makeLocationRecord(f[0]->text(), latitude, longitude, zone));
    } catch (const std::bad_alloc&) {
        added = false;
    }
    if (!added) {
        post("UNABLE TO INSERT!", "FAIL");
        return false;
    }
    post("NEW LOCATION", "INSERTED");
    return true;
}

void drawInsertForm() {
    LocationsState& s = locations();
    const LocationsBinding& b = s.bound;
    if (!s.formPanel || !b.renderer || !b.mainFont) return;
    s.formPanel->draw();
    for (int i = 0; i < kFormEditCount; ++i)
        text(float(kFields[i].rect.left), float(kFields[i].rect.top - 20), 0.5f,
             kFields[i].caption);
    text(float(kTimeZoneRect.left), float(kTimeZoneRect.top - 20), 0.5f, kTimeZoneCaption);
    const WidgetRect& name = kFields[0].rect;
    const WidgetRect& latitude = kFields[1].rect;
    const WidgetRect& longitude = kFields[4].rect;
    text(float(name.left), float(name.top - 55), 0.8f, "INSERTING NEW LOCATION");
    text(float(longitude.left), float(longitude.top + 40), 0.5f,
         "[\tFFFFFF00INS\tFFFFFFFF] confirm\n[\tFFFFFF00ESC\tFFFFFFFF] cancel");
    text(float(name.left - 85), float(name.top), 0.5f, "Location");
    text(float(latitude.left - 85), float(latitude.top), 0.5f, "Latitude");
    text(float(longitude.left - 85), float(longitude.top), 0.5f, "Longitude");
}

} // namespace gv
