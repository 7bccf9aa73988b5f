#pragma once
// The places on the recording renderer: the built-in fonts, the city marker,
// a host that records the messages, a fake cloud map, and a small database
// of well-known places loaded through the start-up's own initialisation.
#include "engine/bitmap_font.h"
#include "engine/display_device.h"
#include "engine/mesh.h"
#include "engine/recording_backend.h"
#include "engine/renderer.h"
#include "engine/texture.h"
#include "formats/selection_file.h"
#include "locations/location_lists.h"
#include "locations/location_markers.h"
#include "locations/locations_files.h"
#include "locations/locations_host.h"
#include "locations/locations_manager.h"
#include "resources/builtin_resources.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace gv::testing {

struct Place {
    const char* name;
    float latitude, longitude;
    int zone;
};

// Sorted by name, as the built-in list is.
inline const std::vector<Place> kWellKnownPlaces = {
    {"Berlin", 52.52f, 13.40f, 1},     {"Buenos Aires", -34.60f, -58.38f, -3},
    {"Cape Town", -33.92f, 18.42f, 2}, {"London", 51.51f, -0.13f, 0},
    {"New York", 40.71f, -74.01f, -5}, {"Paris", 48.86f, 2.35f, 1},
    {"Sydney", -33.87f, 151.21f, 10},  {"Tokyo", 35.68f, 139.69f, 9},
};

inline std::vector<uint8_t> databaseBytes(const std::vector<Place>& places) {
    CitiesDatabase db;
    for (const Place& p : places)
        db.append(makeLocationRecord(p.name, p.latitude, p.longitude, p.zone));
    return db.toBytes();
}

class RecordingHost : public LocationsHost, public ManagerClouds {
  public:
    std::vector<std::pair<std::string, std::string>> messages;
    bool cloudMap = false;
    std::vector<Texture*> clouds = std::vector<Texture*>(8, nullptr);

    void postMessage(const char* title, const char* subtitle) override {
        messages.emplace_back(title, subtitle);
    }
    bool cloudMapExists() override { return cloudMap; }
    Texture* cloudTexture(int patch) override { return clouds[std::size_t(patch)]; }
    std::pair<std::string, std::string> last() const {
        return messages.empty() ? std::pair<std::string, std::string>{} : messages.back();
    }
};

struct LocationsFixture : ::testing::Test {
    RecordingBackend* backend = nullptr;
    std::unique_ptr<DisplayDevice> device;
    std::unique_ptr<Renderer> renderer;
    std::unique_ptr<BitmapFont> mainFont, hintFont;
    std::unique_ptr<Mesh> marker;
    Preferences prefs = defaultPreferences();
    RecordingHost host;
    test::TempDir dir;

    void SetUp() override {
        resources::registerBuiltinResources();
        auto b = std::make_unique<RecordingBackend>();
        backend = b.get();
        b->clientWidth = 1280;
        b->clientHeight = 720;
        platform::DisplayInfo info;
        info.modes = {{1280, 720, 32, 0}};
        device = std::make_unique<DisplayDevice>(std::move(b), std::vector{info}, 32);
        ASSERT_EQ(device->selectDriver(0), 0u);
        ASSERT_EQ(device->selectMode(0, true, false), 0u);
        renderer = std::make_unique<Renderer>(*device);
        ASSERT_EQ(renderer->create3D(true), 0u);
        device->setRenderer(renderer.get());
        mainFont = std::make_unique<BitmapFont>(*device);
        hintFont = std::make_unique<BitmapFont>(*device);
        ASSERT_TRUE(mainFont->loadFont(resources::kMainFontMetrics, resources::kMainFontSheet));
        ASSERT_TRUE(
            hintFont->loadFont(resources::kKeyHintFontMetrics, resources::kKeyHintFontSheet));
        marker = buildCityMarker(*renderer);
        ASSERT_NE(marker, nullptr);
        setLocationsHost(&host);
        setManagerClouds(&host);
        bindLocations({renderer.get(), mainFont.get(), hintFont.get(), marker.get(), &prefs});
        resetLocationsForRun();
    }
    void TearDown() override {
        resetLocationsForRun();
        bindLocations({});
        setLocationsHost(nullptr);
        setManagerClouds(nullptr);
        marker.reset();
        hintFont.reset();
        mainFont.reset();
        renderer.reset();
        device.reset();
    }

    // The database (and selection) as files, then the start-up's own load.
    void load(const std::vector<Place>& places, const std::vector<uint32_t>& selection = {}) {
        test::writeBytes(dir.file("geovista.loc"), databaseBytes(places));
        test::writeBytes(dir.file("geovista.sel"), encodeSelection(selection));
        ASSERT_TRUE(initLocations(dir.folder(), false, 1280, 720));
    }

    LocationsState& state() { return locations(); }
    OverlayList& available() { return *locations().availableList; }
    OverlayList& selected() { return *locations().selectedList; }

    std::vector<std::string> names(const OverlayList& list) const {
        std::vector<std::string> out;
        for (const char* item : list.items)
            out.emplace_back(item);
        return out;
    }
    std::vector<std::string> databaseNames() const {
        std::vector<std::string> out;
        for (std::size_t i = 0; i < locations().places.size(); ++i)
            out.push_back(locationName(locations().places[i]));
        return out;
    }

    // The characters of a recorded text draw, read back from the glyphs'
    // places on the font sheet; a line feed where the pen went down a line.
    // Where the text of a label's first quad starts on the screen: a quad
    // from the atlas covers its line's ink only, so it is moved back to the
    // line's first texel (at the quad's own scale); a glyph quad starts
    // there.
    ScreenVertex textOrigin(const RecordingBackend::Draw& d) const {
        ScreenVertex v = d.screen.at(0);
        const TextAtlas* atlas = locations().labelAtlas.get();
        if (!atlas || !atlas->texture() || d.texture != atlas->texture()->deviceId()) return v;
        const float tw = float(atlas->texture()->width()), th = float(atlas->texture()->height());
        const ScreenVertex& far = d.screen.at(2);
        const float scaleX = (far.sx - v.sx) / ((far.u - v.u) * tw);
        const float scaleY = (far.sy - v.sy) / ((far.v - v.v) * th);
        const TextAtlas::Line* line =
            atlas->lineAt(uint32_t(v.u * tw + 0.5f), uint32_t(v.v * th + 0.5f));
        if (!line) return v;
        v.sx -= (v.u * tw - float(line->x)) * scaleX;
        v.sy -= (v.v * th - float(line->y)) * scaleY;
        return v;
    }
    std::string textOf(const RecordingBackend::Draw& d, const BitmapFont& font) const {
        std::string out;
        float lineY = d.screen.empty() ? 0.0f : d.screen[0].sy;
        const TextAtlas* atlas = locations().labelAtlas.get();
        const bool fromAtlas =
            atlas && atlas->texture() && d.texture == atlas->texture()->deviceId();
        for (std::size_t q = 0; q + 3 < d.screen.size(); q += 4) {
            const ScreenVertex& v = d.screen[q];
            if (std::fabs(v.sy - lineY) > 0.01f) {
                out += '\n';
                lineY = v.sy;
            }
            if (fromAtlas) {
                // A whole line: the atlas names the line starting at its texel.
                const char* line =
                    atlas->textAt(uint32_t(std::lround(v.u * float(atlas->texture()->width()))),
                                  uint32_t(std::lround(v.v * float(atlas->texture()->height()))));
                out += line ? line : "?";
                continue;
            }
            char found = '?';
            for (int c = 32; c < 256; ++c)
                if (font.glyphWidth(c) && font.texLeft(c) == v.u && font.texTop(c) == v.v) {
                    found = char(c);
                    break;
                }
            out += found;
        }
        return out;
    }
    // Every text drawn since the log was cleared, in order.
    std::vector<std::string> texts(const BitmapFont& font) const {
        std::vector<std::string> out;
        for (const auto& d : backend->draws)
            if (d.op == "drawScreen" && d.texture == font.texture()->deviceId())
                out.push_back(textOf(d, font));
        return out;
    }
    const RecordingBackend::Draw* textDraw(const std::string& text) const {
        for (const auto& d : backend->draws)
            if (d.op == "drawScreen" && d.texture == mainFont->texture()->deviceId() &&
                textOf(d, *mainFont) == text)
                return &d;
        return nullptr;
    }
};

} // namespace gv::testing
