#include "ui/on_screen_messages.h"

#include "engine/bitmap_font.h"
#include "engine/display_device.h"
#include "engine/recording_backend.h"
#include "engine/renderer.h"
#include "resources/builtin_resources.h"

#include <gtest/gtest.h>

#include <memory>

using namespace gv;

namespace {

struct Messages : ::testing::Test {
    RecordingBackend* backend = nullptr;
    std::unique_ptr<DisplayDevice> device;
    std::unique_ptr<Renderer> renderer;
    std::unique_ptr<BitmapFont> font;
    Preferences prefs = defaultPreferences();

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
        font = std::make_unique<BitmapFont>(*device);
        ASSERT_TRUE(font->loadFont(resources::kMainFontMetrics, resources::kMainFontSheet));
        bindOnScreenText(*renderer, *font, prefs);
        onScreenMessage() = OnScreenMessage{};
    }
    void TearDown() override {
        unbindOnScreenText();
        font.reset();
        renderer.reset();
    }
    // Text draws of the last call, with their first quad's corner and colour.
    std::vector<const RecordingBackend::Draw*> texts() const {
        std::vector<const RecordingBackend::Draw*> out;
        for (const auto& d : backend->draws)
            if (d.op == "drawScreen") out.push_back(&d);
        return out;
    }
};

} // namespace

TEST_F(Messages, ShownAtTheTopLeftInThePaletteColours) {
    postMessage("CAMERA SELECTED", "Orbit 2");
    EXPECT_EQ(onScreenMessage().remainingMs, 2500);
    backend->clearLog();
    drawMessage(40);
    const auto t = texts();
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0]->screen[0].sx, 8.0f);
    EXPECT_EQ(t[0]->screen[0].sy, 8.0f);
    EXPECT_EQ(t[0]->screen[0].color, kOverlayPalette[8]);
    EXPECT_EQ(t[0]->screen[0].sz, kOverlayTextDepth);
    EXPECT_EQ(t[1]->screen[0].sx, 8.0f);
    EXPECT_EQ(t[1]->screen[0].sy, 25.0f);
    EXPECT_EQ(t[1]->screen[0].color, kOverlayPalette[4]);
    // "CAMERA SELECTED" has 14 glyphs that draw (the space has width but
    // may have no quad); "Orbit 2" seven characters.
    EXPECT_GE(t[0]->indices.size() / 6, 14u);
    EXPECT_EQ(onScreenMessage().remainingMs, 2460);
}

TEST_F(Messages, DrawnOnSixtyThreeFramesOfFortyMilliseconds) {
    postMessage(2500, "AMBIENT LIGHT", "%u%%", 40u);
    EXPECT_STREQ(onScreenMessage().subtitle, "40%");
    int drawn = 0;
    for (int frame = 0; frame < 100; ++frame) {
        backend->clearLog();
        drawMessage(40);
        if (!texts().empty()) ++drawn;
    }
    EXPECT_EQ(drawn, 63);
    EXPECT_EQ(onScreenMessage().title[0], 0);
    EXPECT_EQ(onScreenMessage().remainingMs, 0);
}

TEST_F(Messages, NewestWinsAndTheTextIsNotExpandedAgain) {
    postMessage("CLOUDS", "ON");
    drawMessage(1000);
    postMessage(2500, "AMBIENT LIGHT", "%u%%", 7u);
    EXPECT_EQ(onScreenMessage().remainingMs, 2500);
    EXPECT_STREQ(onScreenMessage().title, "AMBIENT LIGHT");
    backend->clearLog();
    drawMessage(10);
    // "7%" keeps its percent sign: two glyphs.
    ASSERT_EQ(texts().size(), 2u);
    EXPECT_EQ(texts()[1]->indices.size(), 12u);
}

TEST_F(Messages, ASpaceShowsAnEmptySubtitleNeverDoes) {
    postMessage("SCREENSHOT", " ");
    backend->clearLog();
    drawMessage(40);
    EXPECT_EQ(texts().size(), 2u);
    EXPECT_EQ(onScreenMessage().remainingMs, 2460);
    postMessage(2500, "NOTHING", "%s", "");
    backend->clearLog();
    drawMessage(40);
    EXPECT_TRUE(texts().empty());
    EXPECT_EQ(onScreenMessage().remainingMs, 2500);
}

TEST_F(Messages, MessageTimeZeroHidesAndHoldsTheCountdown) {
    prefs.messageTime = 0;
    postMessage(2500, "CLOUDS", "%s", "OFF");
    backend->clearLog();
    drawMessage(40);
    EXPECT_TRUE(texts().empty());
    EXPECT_EQ(onScreenMessage().remainingMs, 2500);
    // The usual call takes the preference as its time.
    postMessage("CLOUDS", "ON");
    EXPECT_EQ(onScreenMessage().remainingMs, 0);
}

TEST_F(Messages, PerformanceLineOnlyWhenAskedFor) {
    prefs.showPerformance = 0;
    backend->clearLog();
    drawPerformance(60, 16);
    EXPECT_TRUE(texts().empty());
    prefs.showPerformance = 1;
    drawPerformance(60, 16);
    const auto t = texts();
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0]->screen[0].sx, 8.0f);
    EXPECT_EQ(t[0]->screen[0].sy, 695.0f);
    EXPECT_EQ(t[1]->screen[0].sx, 80.0f);
    EXPECT_EQ(t[0]->screen[0].color, 0x80FFFFFFu);
}

TEST_F(Messages, ClockSitsAtTheBottomRight) {
    // Size 1: s 0.5, t 12.5: 90 pixels from the right edge (15 + 6 * 12.5),
    // 22.5 above the bottom. Size 5: s 2.5, t 62.5: 390 and 72.5.
    struct Place {
        uint16_t size;
        float x, y;
    };
    for (const Place& at : {Place{1, 1190.0f, 697.5f}, Place{5, 890.0f, 647.5f}}) {
        prefs.clockSize = at.size;
        prefs.clockColour = 5;
        backend->clearLog();
        drawClock();
        const auto t = texts();
        ASSERT_EQ(t.size(), 1u);
        EXPECT_EQ(t[0]->screen[0].sx, at.x) << at.size;
        EXPECT_EQ(t[0]->screen[0].sy, at.y) << at.size;
        EXPECT_EQ(t[0]->screen[0].color, 0xC000FFFFu); // palette 5
    }
    std::tm noon{};
    noon.tm_hour = 12;
    noon.tm_min = 5;
    noon.tm_sec = 9;
    char text[12];
    ASSERT_TRUE(formatClock(noon, text));
    EXPECT_NE(std::string(text).find("05"), std::string::npos);
}
