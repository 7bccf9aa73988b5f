#include "recording_scene.h"

#include "engine/texture.h"
#include "scene/air_shell.h"
#include "scene/frame_composition.h"
#include "scene/planet_motion.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace gv;

namespace {

bool gManagerOnScreen = false;
int gManagerFrames = 0;
int gMarkerPasses = 0;

struct FrameOrder : gv::testing::RecordingScene {
    std::unique_ptr<Light> light;
    SceneState state;
    ClockSample clock;

    void SetUp() override {
        RecordingScene::SetUp();
        prefs.cameraChangingAutomatic = 0;
        // The look of a file from before the earth's options; the tests
        // below that want them switch them on.
        prefs.optionFlags = 0;
        ASSERT_TRUE(buildEarth());
        ASSERT_TRUE(buildSun());
        ASSERT_TRUE(buildLensFlares(*renderer, *device, prefs));
        ASSERT_TRUE(buildMoon());
        bool failedMain = false;
        clock = sampleClock(1774008000, 0); // 2026-03-20 12:00 UTC
        updateEarth(state, clock, prefs);
        ASSERT_TRUE(createCameras(prefs, 1280, 720, state.earthPosition, failedMain));
        light = renderer->createLight();
        buildStarField();
        gManagerOnScreen = false;
        gManagerFrames = gMarkerPasses = 0;
        SceneFrameHooks& hooks = sceneFrameHooks();
        hooks.locationsManagerOnScreen = [] { return gManagerOnScreen; };
        hooks.locationsManagerFrame = [] { ++gManagerFrames; };
        hooks.drawLocationMarkers = [] { ++gMarkerPasses; };
        // Two frames so that the camera has left the earth's centre.
        frame();
        frame();
    }
    void TearDown() override {
        sceneFrameHooks() = SceneFrameHooks{};
        light.reset();
        RecordingScene::TearDown();
    }
    void frame() {
        backend->clearLog();
        renderer->beginFrame(*cameras().main, kClearTarget | kClearZBuffer);
        composeScene(state, clock, {40, 40, 2}, prefs);
        renderer->endFrame();
    }
    uint32_t id(const Texture* t) const { return t ? t->deviceId() : 0; }
    // What each draw of the frame was, by its texture.
    std::string sequence() const {
        PlanetObjects& p = planets();
        SunEffects& fx = sunEffects();
        std::string out;
        for (const auto& d : backend->draws) {
            char c = '?';
            if (d.op == "drawLit" && d.lit.size() == kStarCount)
                c = 'S';
            else if (d.op == "drawScreen" && d.screen.size() == 4 && d.screen[0].sx == -320.0f)
                c = 'W';
            else if (d.op == "drawScreen")
                c = 'F';
            else if (d.texture == id(p.moonTexture.get()))
                c = 'M';
            else if (d.texture == id(fx.flareTexture.get()))
                c = 'B';
            else if (d.texture == id(fx.glowTexture.get()))
                c = 'G';
            else if (d.surface.shading == SurfaceShading::AirShell)
                c = 'A';
            else
                for (const auto& t : p.earthTextures)
                    if (d.texture == id(t.get())) c = 'E';
            out += c;
        }
        return out;
    }
};

} // namespace

TEST_F(FrameOrder, EarthMoonSunStarsInThatOrderThenTheCameraMoves) {
    // A view where the sun stands in the picture: from the sun's side.
    selectCamera(cameras(), 4);
    prefs.cameraSmoothness = 4;
    frame();
    frame();
    const Vector3 before = cameras().main->position();
    const float spin = sunEffects().sunSpin;
    frame();
    const std::string seq = sequence();
    // Eight earth tiles, the moon, then the sun's billboards and whatever
    // of glow, wash and flares this view shows, the stars last.
    EXPECT_EQ(seq.substr(0, 9), "EEEEEEEEM") << seq;
    EXPECT_EQ(seq.substr(9, 2), "BB") << seq;
    EXPECT_EQ(seq.back(), 'S') << seq;
    EXPECT_EQ(seq.find_first_of("EM", 9), std::string::npos) << seq;
    EXPECT_EQ(gMarkerPasses, 5);
    EXPECT_FLOAT_EQ(sunEffects().sunSpin, spin + 0.04f);
    // The sun view does not orbit, but the earth's spin and position come
    // from the same instant: the camera stands where the record put it.
    EXPECT_EQ(cameras().main->position().x, before.x);
    EXPECT_EQ(cameras().records[4]->position().x, before.x);
    // The earth mesh wears the earth's transform of this frame.
    EXPECT_EQ(planets().earth->world().m[3][0], state.earthPosition.x);
}

TEST_F(FrameOrder, LocationsManagerReplacesTheEarthButNotTheSky) {
    gManagerOnScreen = true;
    frame();
    const std::string seq = sequence();
    EXPECT_EQ(seq.find('E'), std::string::npos) << seq;
    EXPECT_NE(seq.find('M'), std::string::npos) << seq;
    EXPECT_EQ(seq.back(), 'S') << seq;
    EXPECT_EQ(gManagerFrames, 1);
    EXPECT_EQ(gMarkerPasses, 2);
}

TEST_F(FrameOrder, SwitchedOffObjectsAreNotDrawnAndTheSunStopsPulsing) {
    prefs.sunShown = 0;
    prefs.moonShown = 0;
    prefs.starsShown = 0;
    const float spin = sunEffects().sunSpin;
    frame();
    EXPECT_EQ(sequence(), "EEEEEEEE");
    EXPECT_EQ(sunEffects().sunSpin, spin);
}

// "NIGHT LIGHTS" and "ATMOSPHERE": the earth's tiles carry the planet shading
// with their own night tile, the ring of air follows the earth and its
// clouds; neither is on the locations manager's map nor on anything else.
TEST_F(FrameOrder, TheEarthsLightsAndAirGoWithTheirOptions) {
    PlanetObjects& p = planets();
    prefs.sunShown = 0;
    prefs.starsShown = 0;
    auto earthDraws = [&] {
        std::vector<RecordingBackend::Draw> out;
        for (const auto& d : backend->draws)
            for (const auto& t : p.earthTextures)
                if (d.texture == id(t.get())) out.push_back(d);
        return out;
    };

    prefs.optionFlags = 0x0001; // the lights alone
    frame();
    EXPECT_EQ(sequence(), "EEEEEEEEM");
    auto tiles = earthDraws();
    ASSERT_EQ(tiles.size(), 8u);
    for (std::size_t i = 0; i < tiles.size(); ++i) {
        EXPECT_EQ(tiles[i].surface.shading, SurfaceShading::Planet);
        ASSERT_NE(p.nightTextures[i], nullptr);
        EXPECT_EQ(tiles[i].surface.nightTexture, id(p.nightTextures[i].get())) << "tile " << i;
        EXPECT_EQ(tiles[i].surface.air, 0.0f);
    }
    EXPECT_EQ(backend->draws.back().surface.shading, SurfaceShading::None) << "not on the moon";

    prefs.optionFlags = 0x0004; // the air alone
    frame();
    EXPECT_EQ(sequence(), "EEEEEEEEAM");
    for (const auto& d : earthDraws()) {
        EXPECT_EQ(d.surface.shading, SurfaceShading::Planet);
        EXPECT_EQ(d.surface.nightTexture, 0u);
        EXPECT_GT(d.surface.air, 0.0f);
    }
    // The ring of air, placed round the earth's limb in the world.
    const auto& ring = backend->draws[8];
    EXPECT_EQ(ring.surface.shading, SurfaceShading::AirShell);
    EXPECT_GT(ring.surface.air, 0.0f);
    for (const BufferVertex& v : backend->buffers.at(ring.buffer).first) {
        const float r = distance(transformPoint({v.x, v.y, v.z}, ring.world), state.earthPosition);
        EXPECT_GE(r, 0.98f * kEarthRadius);
        EXPECT_LE(r, kAirShellRadius + 1e-2f);
    }
    const Material& air = renderer->material(p.airMaterial);
    EXPECT_EQ(air.blendMode(), MaterialBlendMode::Additive);
    EXPECT_FALSE(air.zWrite);

    prefs.optionFlags = 0x0007;
    frame();
    EXPECT_EQ(sequence(), "EEEEEEEEAM");
    // The locations manager's map: no lights, no air.
    gManagerOnScreen = true;
    frame();
    EXPECT_EQ(sequence().find('A'), std::string::npos);
    for (const auto& d : backend->draws)
        EXPECT_EQ(d.surface.shading, SurfaceShading::None);
    for (uint32_t i = 0; i < kEarthPatches; ++i)
        EXPECT_EQ(renderer->material(p.earthMaterial0 + i).surfaceShading(), SurfaceShading::None);

    // Off: the earth as it always was.
    gManagerOnScreen = false;
    prefs.optionFlags = 0;
    frame();
    EXPECT_EQ(sequence(), "EEEEEEEEM");
    for (const auto& d : backend->draws)
        EXPECT_EQ(d.surface.shading, SurfaceShading::None);
}
