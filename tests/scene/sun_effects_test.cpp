#include "recording_scene.h"

#include "engine/texture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace gv;

namespace {

struct SunPass : gv::testing::RecordingScene {
    Camera camera{0.97f, 1280, 720};
    void SetUp() override {
        RecordingScene::SetUp();
        camera.setNear(1.0f);
        camera.setFar(3500.0f);
        ASSERT_TRUE(buildLensFlares(*renderer, *device, prefs));
        ASSERT_TRUE(buildSun());
    }
    // The camera 'back' units from the sun on the -z side, looking at a
    // point whose offset turns the sun off the screen centre.
    void lookFrom(const Vector3& eye, const Vector3& target) {
        camera.setPosition(eye);
        camera.lookAt(target);
    }
    // The flares: each a square on a grid of vertices, its lit cells drawn.
    std::vector<const RecordingBackend::Draw*> flareQuads() const {
        std::vector<const RecordingBackend::Draw*> out;
        for (const auto& d : backend->draws)
            if (d.op == "drawScreen" && d.screen.size() == (kFlareGrid + 1) * (kFlareGrid + 1) &&
                d.screen[0].sz == 0.001f)
                out.push_back(&d);
        return out;
    }
    bool washDrawn() const {
        for (const auto& d : backend->draws)
            if (d.op == "drawScreen" && d.screen.size() == 4 && d.screen[0].sx == -320.0f)
                return true;
        return false;
    }
};

} // namespace

TEST(SunValues, SizesAndEffectStrengthsAtTheirEdges) {
    EXPECT_EQ(effectSize(0), 0.0f);
    EXPECT_EQ(effectSize(1), 0.1f);
    EXPECT_EQ(effectSize(3), 0.5f);
    EXPECT_EQ(effectSize(5), 1.0f);
    EXPECT_EQ(effectSize(6), 0.0f);
    // Sun at the centre: full wash, full flares, glow 0.8.
    EXPECT_EQ(overbrightAlpha(0.0f), 50u);
    EXPECT_EQ(flareAlpha(0.0f), 128u);
    EXPECT_FLOAT_EQ(glowScale(0.0f), 0.8f);
    EXPECT_FLOAT_EQ(glowScale(1.0f), 0.4f);
    // At the wash's last distance only a trace is left; flares vanish at 1.
    EXPECT_EQ(overbrightAlpha(0.7f), 0u);
    // 50 - 50 sin 0.4 = 50 - 19.471 = 30.53; 50 - 50 sin 1 = 50 - 42.074 = 7.93.
    EXPECT_EQ(overbrightAlpha(0.2f), 30u);
    EXPECT_EQ(overbrightAlpha(0.5f), 7u);
    EXPECT_EQ(flareAlpha(0.5f), 64u);
    EXPECT_EQ(flareAlpha(0.3f), 89u); // 128 * 0.7 = 89.6
    EXPECT_EQ(flareAlpha(1.0f), 0u);
    EXPECT_EQ(flareAlpha(3.0f), 0u);
}

TEST(SunValues, ScreenVectorOfASunAheadBesideAndBehind) {
    Camera cam(0.97f, 1280, 720);
    cam.setNear(1.0f);
    cam.setFar(3500.0f);
    cam.setPosition({0.0f, 0.0f, -1000.0f});
    cam.lookAt({0.0f, 0.0f, 0.0f});
    SunOnScreen s = projectSun({}, cam, 1280.0f, 720.0f);
    ASSERT_TRUE(s.inFront);
    EXPECT_NEAR(s.sx, 640.0f, 1e-3f);
    EXPECT_NEAR(s.sy, 360.0f, 1e-3f);
    EXPECT_EQ(s.d, 0.0f);
    EXPECT_EQ(s.ux, 0.0f);
    // Looking to the side of the sun: it stands off the centre, up is +y.
    cam.lookAt({200.0f, 100.0f, 0.0f});
    s = projectSun({}, cam, 1280.0f, 720.0f);
    ASSERT_TRUE(s.inFront);
    EXPECT_LT(s.sx, 640.0f);
    EXPECT_LT(s.sy, 360.0f);
    EXPECT_NEAR(s.d, std::sqrt(s.nx * s.nx + s.ny * s.ny), 1e-5f);
    EXPECT_NEAR(s.ux * s.ux + s.uy * s.uy, 1.0f, 1e-5f);
    EXPECT_NEAR(s.ny, (s.sy - 360.0f) / 360.0f, 1e-4f);
    // Facing away: behind the camera.
    cam.lookAt({0.0f, 0.0f, -2000.0f});
    EXPECT_FALSE(projectSun({}, cam, 1280.0f, 720.0f).inFront);
}

TEST(SunValues, DepthTestFindsTheEarthInFrontOfTheSun) {
    // The depth the projection stores for a point straight ahead at z.
    Camera cam(0.97f, 1280, 720);
    cam.setNear(1.0f);
    cam.setFar(3500.0f);
    cam.setPosition({0.0f, 0.0f, -1860.0f});
    cam.lookAt({});
    auto stored = [&](float z) {
        Camera c = cam;
        return projectSun({0.0f, 0.0f, z - 1860.0f}, c, 1280.0f, 720.0f).depth;
    };
    const float sun = stored(1860.0f);
    const float earthSurface = stored(432.0f); // earth 560 away, radius 128
    const float moon = stored(1500.0f);
    // Half the depth range is about 2 units from the eye: the whole scene
    // stores more than that, so a half-range threshold could never see
    // the earth in front of the sun.
    EXPECT_GT(earthSurface, 0.99f);
    EXPECT_TRUE(sunHiddenByDepth(earthSurface, sun, 24));
    EXPECT_TRUE(sunHiddenByDepth(moon, sun, 16));
    EXPECT_TRUE(sunHiddenByDepth(earthSurface, sun, 32));
    // Nothing drawn (the cleared buffer) or something behind the sun.
    EXPECT_FALSE(sunHiddenByDepth(1.0f, sun, 24));
    EXPECT_FALSE(sunHiddenByDepth(stored(2500.0f), sun, 24));
}

TEST_F(SunPass, VisibleSunDrawsBillboardsWashAndSevenFlares) {
    prefs.sunSize = 3;
    prefs.lensFlareSize = 5;
    lookFrom({0.0f, 0.0f, -1000.0f}, {40.0f, 0.0f, 0.0f});
    backend->clearLog();
    SunEffects& fx = sunEffects();
    const uint32_t halo[3] = {fx.halos[0]->deviceId(), fx.halos[1]->deviceId(),
                              fx.halos[2]->deviceId()};
    const float spin = fx.sunSpin;
    sunPass(fx, planets().sun.get(), camera, {1300.0f, 0.0f, 0.0f}, 40);
    EXPECT_FLOAT_EQ(fx.sunSpin, spin + 0.04f);
    ASSERT_TRUE(fx.lastSun.inFront);
    EXPECT_FALSE(fx.lastHidden);
    EXPECT_TRUE(fx.lastFlaresDrawn);
    const auto quads = flareQuads();
    ASSERT_EQ(quads.size(), 7u);
    // The sun 40 units left of the point looked at, 1000 ahead: nx = -0.04 *
    // cot(0.485) * (1 - 1/3500) = -0.04 * 1.897596 * 0.999714 = -0.075882,
    // ny = 0; so d = 0.075882 and the screen vector (-1, 0). The sun at
    // 640 - 0.075882 * 640 = 591.435. Flare i stands at x = 640 - k_i * d *
    // (1280 / 720), y = 360, half-size ("HUGE" 1.0) * factor * 80, alpha
    // 128 - 128 d = 118.29 -> 118 (0x76); the wash 50 - 50 sin(2 d) = 42.44.
    EXPECT_NEAR(fx.lastSun.sx, 591.435f, 0.01f);
    EXPECT_NEAR(fx.lastSun.d, 0.075882f, 1e-5f);
    struct Expected {
        float left, bottom; // x - h, y + h
        uint32_t colour;
        int kind;
    };
    const Expected expected[7] = {
        {614.369f - 224.0f, 360.0f + 224.0f, 0x76FFFFFFu, 2}, // k 190, 2.8
        {617.741f - 56.0f, 360.0f + 56.0f, 0x76FFFFFFu, 2},   // k 165, 0.7
        {627.859f - 144.0f, 360.0f + 144.0f, 0x76FFFFAFu, 2}, // k 90, 1.8
        {657.537f - 64.0f, 360.0f + 64.0f, 0x76CFCFB0u, 1},   // k -130, 0.8
        {663.608f - 48.0f, 360.0f + 48.0f, 0x76AFCFFFu, 1},   // k -175, 0.6
        {666.980f - 96.0f, 360.0f + 96.0f, 0x766080FFu, 2},   // k -200, 1.2
        {687.216f - 72.0f, 360.0f + 72.0f, 0x765060FFu, 2},   // k -350, 0.9
    };
    for (int i = 0; i < 7; ++i) {
        const auto& v = quads[size_t(i)]->screen;
        EXPECT_NEAR(v.front().sx, expected[i].left, 0.01f) << i;
        EXPECT_NEAR(v.back().sy, expected[i].bottom, 0.01f) << i;
        EXPECT_EQ(v[0].color, expected[i].colour) << i;
        EXPECT_EQ(v[0].rhw, 1000.0f);
        EXPECT_EQ(v.back().u, 1.0f);
        EXPECT_EQ(quads[size_t(i)]->indices, fx.haloCells[size_t(expected[i].kind)]) << i;
        EXPECT_EQ(quads[size_t(i)]->texture, halo[expected[i].kind]) << i;
    }
    // The sprites swap the flare material's texture and blending and put
    // them back.
    const Material& m = renderer->material(fx.flareMaterial);
    EXPECT_EQ(m.texture(), fx.flareTexture.get());
    EXPECT_EQ(m.blendMode(), MaterialBlendMode::Additive);
    // The white wash over the whole screen with its margin.
    bool wash = false;
    for (const auto& d : backend->draws)
        if (d.op == "drawScreen" && d.screen.size() == 4 && d.screen[0].sx == -320.0f) {
            wash = true;
            EXPECT_EQ(d.screen[0].color, 0x2AFFFFFFu); // alpha 42
        }
    EXPECT_TRUE(wash);
    // The light is back at the origin.
    EXPECT_EQ(backend->light.position.x, 0.0f);
}

TEST(SunSprites, ACellIsLitByItsOwnTexelsAndTheOneRoundItThatFilteringReads) {
    platform::DisplayInfo info;
    info.modes = {{640, 480, 32, 0}};
    auto owned = std::make_unique<RecordingBackend>();
    DisplayDevice device(std::move(owned), std::vector{info}, 32);
    ASSERT_EQ(device.selectDriver(0), 0u);
    ASSERT_EQ(device.selectMode(0, true, false), 0u);
    // 64 x 64 black but for one grey texel at (20, 40) and one at (0, 0);
    // on an 8 x 8 grid the cells are 8 texels square.
    std::vector<uint8_t> pixels(64 * 64 * 4, 0);
    auto set = [&](int x, int y) {
        for (int c = 0; c < 3; ++c)
            pixels[size_t((y * 64 + x) * 4 + c)] = 3;
    };
    set(20, 40);
    set(0, 0);
    Texture t(device);
    ASSERT_EQ(t.createFromPixels(64, 64, 32, 0, pixels.data()), 0u);
    const std::vector<bool> lit = litCells(t, 8);
    std::vector<std::pair<int, int>> cells;
    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 8; ++j)
            if (lit[size_t(i * 8 + j)]) cells.push_back({i, j});
    // (20, 40) lies in row 5, column 2, on the top edge of its cell: the
    // cell above reads it too. (0, 0) in the corner cell, and, the texture
    // wrapping, in the cells across each edge.
    const std::vector<std::pair<int, int>> expected = {{0, 0}, {0, 7}, {4, 2},
                                                       {5, 2}, {7, 0}, {7, 7}};
    EXPECT_EQ(cells, expected);
}

TEST_F(SunPass, TheSpritesCoverEveryTexelThatAddsLightAndLeaveOutMuchOfTheBlack) {
    SunEffects& fx = sunEffects();
    auto covered = [](const Texture& t, const std::vector<bool>& lit, int g) {
        const uint32_t colour = ~t.format().alphaMask;
        int w = t.width(), h = t.height();
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (t.pixel(uint32_t(x), uint32_t(y)) & colour) {
                    if (!lit[size_t((y * g / h) * g + x * g / w)]) return false;
                }
        return true;
    };
    const std::vector<bool> glare = litCells(*fx.flareTexture, kBoardGrid);
    EXPECT_TRUE(covered(*fx.flareTexture, glare, kBoardGrid));
    const auto count = [](const std::vector<bool>& v) {
        return std::count(v.begin(), v.end(), true);
    };
    EXPECT_LT(count(glare), kBoardGrid * kBoardGrid * 3 / 4) << "the rays leave black between them";
    EXPECT_EQ(fx.billboard->faces().size(), size_t(2 * count(glare)));
    EXPECT_EQ(fx.glowBoard->faces().size(),
              size_t(2 * count(litCells(*fx.glowTexture, kBoardGrid))));
    for (int k = 0; k < 3; ++k) {
        const std::vector<bool> lit = litCells(*fx.halos[size_t(k)], kFlareGrid);
        EXPECT_TRUE(covered(*fx.halos[size_t(k)], lit, kFlareGrid)) << k;
        EXPECT_EQ(fx.haloCells[size_t(k)].size(), size_t(6 * count(lit))) << k;
    }
}

TEST_F(SunPass, NoWashAndNoFlaresAtAlphaZero) {
    SunEffects& fx = sunEffects();
    prefs.sunOverbrights = 1;
    prefs.lensFlares = 1;
    // Turn the view off the sun until the wash's alpha, 50 - 50 sin(2 d),
    // is below one (d past 0.6854) while d is still within its 0.7.
    bool found = false;
    for (float offset = 300.0f; offset < 500.0f && !found; offset += 0.5f) {
        lookFrom({0.0f, 0.0f, -1000.0f}, {offset, 0.0f, 0.0f});
        backend->clearLog();
        sunPass(fx, planets().sun.get(), camera, {1300.0f, 0.0f, 0.0f}, 0);
        found = fx.lastSun.d > 0.69f && fx.lastSun.d <= 0.7f;
    }
    ASSERT_TRUE(found);
    EXPECT_FALSE(washDrawn());
    EXPECT_EQ(flareQuads().size(), 7u) << "the flares still show";
    // Past d = 1 the flares' alpha 128 - 128 d is 0.
    for (float offset = 500.0f; offset < 2000.0f && fx.lastSun.d <= 1.0f; offset += 5.0f) {
        lookFrom({0.0f, 0.0f, -1000.0f}, {offset, 0.0f, 0.0f});
        backend->clearLog();
        sunPass(fx, planets().sun.get(), camera, {1300.0f, 0.0f, 0.0f}, 0);
    }
    ASSERT_GT(fx.lastSun.d, 1.0f);
    ASSERT_TRUE(fx.lastSun.inFront);
    EXPECT_TRUE(flareQuads().empty());
    EXPECT_FALSE(fx.lastFlaresDrawn);
}

TEST_F(SunPass, SunBehindTheCameraDrawsNothing) {
    lookFrom({0.0f, 0.0f, -1000.0f}, {0.0f, 0.0f, -3000.0f});
    backend->clearLog();
    sunPass(sunEffects(), planets().sun.get(), camera, {1300.0f, 0.0f, 0.0f}, 40);
    EXPECT_FALSE(sunEffects().lastSun.inFront);
    EXPECT_TRUE(backend->draws.empty());
}

TEST_F(SunPass, GlowFollowsTheEarthAndWearsTheGlowTexture) {
    prefs.earthGlow = 1;
    prefs.lensFlares = 0;
    prefs.sunOverbrights = 0;
    lookFrom({0.0f, 0.0f, -1000.0f}, {});
    backend->clearLog();
    SunEffects& fx = sunEffects();
    sunPass(fx, planets().sun.get(), camera, {1300.0f, 0.0f, 0.0f}, 40);
    // Two sun billboards and the glow, the glow with "glow1".
    std::vector<uint32_t> textures;
    for (const auto& d : backend->draws)
        if (d.op == "drawIndexedBuffer") textures.push_back(d.texture);
    ASSERT_EQ(textures.size(), 3u);
    EXPECT_EQ(textures[0], fx.flareTexture->deviceId());
    EXPECT_EQ(textures[2], fx.glowTexture->deviceId());
    EXPECT_TRUE(flareQuads().empty());
    EXPECT_EQ(renderer->material(fx.flareMaterial).texture(), fx.flareTexture.get());
}

// One channel of a source colour over a destination as the recorded blend
// states combine them (0..1, alpha from the source).
static float blendedChannel(const RecordingBackend& b, float src, float srcAlpha, float dst) {
    auto state = [&](RenderState s) {
        auto it = b.renderStates.find(s);
        return it == b.renderStates.end() ? 0u : it->second;
    };
    if (state(RenderState::AlphaBlendEnable) == 0) return src;
    auto factor = [&](uint32_t f) {
        using namespace d3d;
        switch (f) {
        case kBlendZero:
            return 0.0f;
        case kBlendOne:
            return 1.0f;
        case kBlendSrcColor:
            return src;
        case kBlendInvSrcColor:
            return 1.0f - src;
        case kBlendSrcAlpha:
            return srcAlpha;
        case kBlendInvSrcAlpha:
            return 1.0f - srcAlpha;
        case kBlendDestColor:
            return dst;
        case kBlendInvDestColor:
            return 1.0f - dst;
        default:
            return -1.0f; // a factor this check does not know fails it
        }
    };
    const float out =
        src * factor(state(RenderState::SrcBlend)) + dst * factor(state(RenderState::DestBlend));
    return std::min(out, 1.0f);
}

TEST_F(SunPass, AStarNeverDarkensTheSunBehindIt) {
    buildStarField();
    SunEffects& fx = sunEffects();
    backend->clearLog();
    drawStars(fx, {1300.0f, 0.0f, 0.0f});
    ASSERT_EQ(backend->draws.size(), 1u);
    const RecordingBackend::Draw& points = backend->draws[0];
    ASSERT_EQ(points.lit.size(), size_t(kStarCount));
    EXPECT_EQ(points.type, PrimitiveType::PointList);
    // Colour and alpha come from the star's own (diffuse) colour alone.
    EXPECT_EQ(backend->stageStates[StageState::ColorOp], d3d::kOpSelectArg1);
    EXPECT_EQ(backend->stageStates[StageState::ColorArg1], d3d::kArgDiffuse);
    // The dimmest and the brightest star over a pixel of the sun's disc
    // (0.95) and over the black sky: the sun keeps at least its brightness,
    // the sky shows the star's own grey. The stars' colours carry alpha 0.
    for (float grey : {0.0f, 105.0f / 255.0f, 1.0f}) {
        EXPECT_GE(blendedChannel(*backend, grey, 0.0f, 0.95f), 0.95f) << grey;
        EXPECT_FLOAT_EQ(blendedChannel(*backend, grey, 0.0f, 0.0f), grey) << grey;
    }
}

TEST(StarField, TheSameSkyEveryRun) {
    static std::array<Star, kStarCount> stars;
    generateStars(stars);
    // The first two stars of the generator started at seed 1.
    EXPECT_NEAR(length(stars[0].position), 1300.4379f, 1e-2f);
    EXPECT_EQ(stars[0].colour, 0x00FEFEFEu);
    EXPECT_NEAR(stars[0].position.x, 188.0135f, 1e-2f);
    EXPECT_NEAR(stars[0].position.y, -906.8593f, 1e-2f);
    EXPECT_NEAR(stars[0].position.z, 912.9053f, 1e-2f);
    EXPECT_NEAR(stars[1].position.z, 1405.9222f, 1e-2f);
    EXPECT_EQ(stars[1].colour, 0x00696969u);
    for (const Star& s : stars) {
        const float d = length(s.position);
        EXPECT_GE(d, 1299.9f);
        EXPECT_LE(d, 1650.1f);
        const uint32_t grey = s.colour & 0xFF;
        EXPECT_EQ(s.colour, grey << 16 | grey << 8 | grey);
        EXPECT_NEAR(float(grey), (1.0f - (d - 1300.0f) / 350.0f) * 255.0f, 1.5f);
    }
    static std::array<Star, kStarCount> again;
    generateStars(again);
    EXPECT_EQ(std::memcmp(&stars, &again, sizeof stars), 0);
}
