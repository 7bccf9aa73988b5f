#include "engine/display_device.h"
#include "engine/error_name.h"
#include "engine/mesh.h"
#include "engine/recording_backend.h"
#include "engine/renderer.h"
#include "engine/texture.h"

#include "support/captured_log.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>

using namespace gv;
using namespace gv::d3d;

namespace {

struct RendererFixture : ::testing::Test {
    RecordingBackend* backend = nullptr;
    std::unique_ptr<DisplayDevice> device;
    std::unique_ptr<Renderer> renderer;

    void SetUp() override {
        auto b = std::make_unique<RecordingBackend>();
        backend = b.get();
        platform::DisplayInfo info;
        info.name = "display";
        info.modes = {{640, 480, 32, 0}};
        device = std::make_unique<DisplayDevice>(std::move(b), std::vector{info}, 32);
        ASSERT_EQ(device->selectDriver(0), kResultOk);
        ASSERT_EQ(device->selectMode(0, true, false), kResultOk);
        renderer = std::make_unique<Renderer>(*device);
    }
    test::CapturedLog log;

    // The render states set, in call order.
    std::vector<std::pair<RenderState, uint32_t>> stateCalls() const {
        std::vector<std::pair<RenderState, uint32_t>> out;
        for (const auto& c : backend->calls)
            if (c.op == "setRenderState") out.push_back({RenderState(c.a), c.b});
        return out;
    }
};

} // namespace

TEST_F(RendererFixture, SoftwareDeviceGetsTheSoftwareDefaults) {
    backend->hardwareAvailable = false;
    ASSERT_EQ(renderer->create3D(true), kResultOk);
    EXPECT_FALSE(renderer->hardware()); // silently fell back
    const std::vector<std::pair<RenderState, uint32_t>> expected = {
        {RenderState::TextureAddress, kAddressWrap},
        {RenderState::TexturePerspective, 1},
        {RenderState::TextureMag, kFilterNearest},
        {RenderState::TextureMin, kFilterNearest},
        {RenderState::SubPixel, 0},
        {RenderState::Antialias, kAntialiasNone},
        {RenderState::FillMode, kFillSolid},
        {RenderState::ShadeMode, kShadeGouraud},
        {RenderState::CullMode, kCullCCW},
        {RenderState::DitherEnable, 0},
        {RenderState::SpecularEnable, 0},
        {RenderState::ZEnable, 1},
        {RenderState::ZWriteEnable, 1},
        {RenderState::Anisotropy, 0},
        {RenderState::AlphaBlendEnable, 0},
        {RenderState::SrcBlend, kBlendSrcAlpha},
        {RenderState::DestBlend, kBlendInvSrcAlpha},
        {RenderState::TranslucentSortIndependent, 1},
    };
    EXPECT_EQ(stateCalls(), expected);
    EXPECT_FALSE(renderer->bilinearFiltering());
    EXPECT_TRUE(log.reports().empty());
}

TEST_F(RendererFixture, HardwareDeviceGetsTheHardwareDefaults) {
    backend->hardwareAvailable = true;
    ASSERT_EQ(renderer->create3D(true), kResultOk);
    EXPECT_TRUE(renderer->hardware());
    const std::vector<std::pair<RenderState, uint32_t>> expected = {
        {RenderState::TextureAddress, kAddressClamp},
        {RenderState::TexturePerspective, 1},
        {RenderState::TextureMag, kFilterLinear},
        {RenderState::TextureMin, kFilterLinear},
        {RenderState::SubPixel, 1},
        {RenderState::Antialias, kAntialiasNone},
        {RenderState::FillMode, kFillSolid},
        {RenderState::ShadeMode, kShadeGouraud},
        {RenderState::CullMode, kCullCCW},
        {RenderState::DitherEnable, 1},
        {RenderState::SpecularEnable, 1},
        {RenderState::ZEnable, 1},
        {RenderState::ZFunc, kCmpLessEqual},
        {RenderState::ZWriteEnable, 1},
        {RenderState::AlphaBlendEnable, 0},
        {RenderState::SrcBlend, kBlendSrcAlpha},
        {RenderState::DestBlend, kBlendInvSrcAlpha},
        {RenderState::TranslucentSortIndependent, 1},
        {RenderState::ColorKeyEnable, 1},
        {RenderState::FogEnable, 0},
    };
    EXPECT_EQ(stateCalls(), expected);
    EXPECT_TRUE(renderer->bilinearFiltering());
}

TEST_F(RendererFixture, DepthBufferTriesThirtyTwoThenTwentyFourThenSixteen) {
    backend->zBufferDepths = {16, 24};
    ASSERT_EQ(renderer->create3D(true), kResultOk);
    EXPECT_EQ(renderer->zBufferBits(), 24u);
    backend->zBufferDepths = {16};
    ASSERT_EQ(renderer->create3D(true), kResultOk);
    EXPECT_EQ(renderer->zBufferBits(), 16u);
    backend->zBufferDepths = {};
    EXPECT_EQ(renderer->create3D(true), kErrGeneric);
    EXPECT_FALSE(renderer->created());
    ASSERT_FALSE(log.reports().empty());
    EXPECT_EQ(log.reports().back(), "(enum zbuffer error)");
}

TEST_F(RendererFixture, ViewportSpansTwoHOverWInClipY) {
    ASSERT_EQ(renderer->create3D(true), kResultOk);
    EXPECT_EQ(backend->viewport.width, 640u);
    EXPECT_EQ(backend->viewport.height, 480u);
    EXPECT_FLOAT_EQ(backend->viewport.clipX, -1.0f);
    EXPECT_FLOAT_EQ(backend->viewport.clipWidth, 2.0f);
    EXPECT_FLOAT_EQ(backend->viewport.clipY, 0.75f);
    EXPECT_FLOAT_EQ(backend->viewport.clipHeight, 1.5f);
}

TEST_F(RendererFixture, BlendModesSetTheStageAndBlendTable) {
    ASSERT_EQ(renderer->create3D(true), kResultOk);
    Texture tex(*device);
    const uint8_t px[4] = {1, 2, 3, 255};
    ASSERT_EQ(tex.createFromPixels(1, 1, 32, 8, px), kResultOk);
    Material& m = renderer->material(renderer->createMaterial());
    m.setTexture(&tex);
    struct Row {
        uint32_t colorOp, colorArg1, alphaOp, alphaArg1, blend, src, dst;
    };
    const Row rows[7] = {
        {kOpModulate, kArgTexture, kOpSelectArg1, kArgTexture, 0, kBlendOne, kBlendZero},
        {kOpModulate, kArgDiffuse, kOpSelectArg1, kArgDiffuse, 1, kBlendSrcAlpha,
         kBlendInvSrcAlpha},
        {kOpModulate, kArgTexture, kOpSelectArg1, kArgTexture, 1, kBlendSrcAlpha,
         kBlendInvSrcAlpha},
        {kOpModulate, kArgTexture, kOpModulate, kArgTexture, 1, kBlendSrcAlpha, kBlendInvSrcAlpha},
        {kOpModulate, kArgTexture, kOpSelectArg1, kArgTexture, 1, kBlendOne, kBlendOne},
        {kOpSelectArg1, kArgDiffuse, kOpSelectArg1, kArgTexture, 1, kBlendSrcAlpha,
         kBlendInvSrcAlpha},
        {kOpModulate, kArgTexture, kOpSelectArg1, kArgTexture, 1, kBlendZero, kBlendSrcColor},
    };
    for (uint32_t mode = 0; mode < 7; ++mode) {
        // A marker state so that "left as it is" can be seen.
        backend->setStageState(0, StageState::ColorArg2, 77);
        backend->setTexture(0, 999);
        m.setBlendMode(MaterialBlendMode(mode));
        m.setDiffuse(1, 1, 1, mode == 6 ? 0.5f : 1.0f); // translucent for mode 6
        renderer->applyMaterial(m, 0);
        const Row& r = rows[mode];
        EXPECT_EQ(backend->stageStates[StageState::ColorOp], r.colorOp) << mode;
        EXPECT_EQ(backend->stageStates[StageState::ColorArg1], r.colorArg1) << mode;
        EXPECT_EQ(backend->stageStates[StageState::AlphaOp], r.alphaOp) << mode;
        EXPECT_EQ(backend->stageStates[StageState::AlphaArg1], r.alphaArg1) << mode;
        EXPECT_EQ(backend->renderStates[RenderState::AlphaBlendEnable], r.blend) << mode;
        EXPECT_EQ(backend->renderStates[RenderState::SrcBlend], r.src) << mode;
        EXPECT_EQ(backend->renderStates[RenderState::DestBlend], r.dst) << mode;
        const bool arg2Kept = mode == 1 || mode == 5 || mode == 6;
        EXPECT_EQ(backend->stageStates[StageState::ColorArg2] == 77, arg2Kept) << mode;
        EXPECT_EQ(backend->boundTexture, mode == 6 ? 999u : tex.deviceId()) << mode;
        EXPECT_EQ(backend->materialHandle, m.handle());
    }
    // Always: cull, z enable, z write, fill.
    m.zTest = false;
    m.zWrite = false;
    m.cullMode = kCullNone;
    renderer->applyMaterial(m, 0);
    EXPECT_EQ(backend->renderStates[RenderState::ZEnable], 0u);
    EXPECT_EQ(backend->renderStates[RenderState::ZWriteEnable], 0u);
    EXPECT_EQ(backend->renderStates[RenderState::CullMode], kCullNone);
    EXPECT_EQ(backend->renderStates[RenderState::FillMode], kFillSolid);
}

TEST_F(RendererFixture, MaterialTranslucencyFollowsTheSetters) {
    Material& m = renderer->material(renderer->createMaterial());
    EXPECT_FALSE(m.translucent());
    const MaterialRecord defaults;
    EXPECT_FLOAT_EQ(m.record().ambient.r, 0.5f);
    EXPECT_FLOAT_EQ(m.record().specular.g, 0.75f);
    EXPECT_FLOAT_EQ(m.power(), 3.0f);
    MaterialRecord rec = defaults;
    rec.ambient.a = 0.5f;
    m.setRecord(rec);
    EXPECT_TRUE(m.translucent()); // the whole record looks at all four alphas
    m.setDiffuse(1, 1, 1, 1);
    EXPECT_FALSE(m.translucent()); // diffuse alone looks at its own alpha
    m.setDiffuse(1, 1, 1, 0.99f);
    EXPECT_TRUE(m.translucent());
}

TEST_F(RendererFixture, VertexBufferCarriesFaceColoursAndSecondCoordinates) {
    ASSERT_EQ(renderer->create3D(true), kResultOk);
    const uint32_t half = renderer->createMaterial();
    renderer->material(half).setDiffuse(0.5f, 1.0f, 0.0f, 0.25f);
    const uint32_t red = renderer->createMaterial();
    renderer->material(red).setDiffuse(1.0f, 0.0f, 0.0f, 1.0f);
    std::vector<MeshVertex> v(5);
    for (size_t i = 0; i < v.size(); ++i)
        v[i] = {float(i), 0, 0, 0, 1, 0, 0.5f, 0.25f};
    std::vector<MeshFace> f(3);
    f[0] = {0, 1, 2, int32_t(half), {}, {}, {0.1f, 0.2f, 0.3f}, {0.4f, 0.5f, 0.6f}};
    f[1] = {2, 3, 4, -1, {}, {}, {}, {}};
    f[2] = {4, 3, 0, int32_t(red), {}, {}, {}, {}};
    uint32_t handle = 0;
    ASSERT_TRUE(renderer->buildVertexBuffer(v, f, handle));
    EXPECT_EQ(handle, 0u);
    ASSERT_EQ(backend->buffers.size(), 1u);
    const auto& [verts, idx] = backend->buffers.begin()->second;
    ASSERT_EQ(idx.size(), 9u);
    EXPECT_EQ(idx[3], 2);
    EXPECT_EQ(idx[8], 0);
    // 0.5 * 255 truncates to 127; alpha 0.25 to 63.
    EXPECT_EQ(verts[1].diffuse, 0x3F7FFF00u);
    EXPECT_FLOAT_EQ(verts[1].u1, 0.2f);
    EXPECT_FLOAT_EQ(verts[1].v1, 0.5f);
    EXPECT_FLOAT_EQ(verts[1].u0, 0.5f);
    EXPECT_FLOAT_EQ(verts[1].ny, 1.0f);
    EXPECT_EQ(verts[2].diffuse, 0xFFFFFFFFu); // last written by the face without material
    EXPECT_EQ(verts[0].diffuse, 0xFFFF0000u); // and vertex 0 by the red face
    EXPECT_FLOAT_EQ(verts[0].u1, 0.0f);

    backend->clearLog();
    renderer->drawVertexBuffer(PrimitiveType::TriangleList, handle, 1, 2, kDrawDoNotUpdateExtents);
    ASSERT_EQ(backend->draws.size(), 1u);
    EXPECT_EQ(backend->draws[0].firstIndex, 3u);
    EXPECT_EQ(backend->draws[0].indexCount, 6u);
    renderer->drawVertexBuffer(PrimitiveType::TriangleList, handle, 2, 2, 0); // past the end
    EXPECT_EQ(backend->draws.size(), 1u);
    renderer->releaseVertexBuffer(handle);
    EXPECT_TRUE(backend->buffers.empty());
}

TEST_F(RendererFixture, VertexBufferFailuresAreLoggedAndEmptyMeshesGetNoBuffer) {
    ASSERT_EQ(renderer->create3D(true), kResultOk);
    uint32_t handle = 0;
    EXPECT_TRUE(renderer->buildVertexBuffer({}, {}, handle));
    EXPECT_EQ(handle, kNoBuffer);
    EXPECT_TRUE(backend->buffers.empty());
    std::vector<MeshVertex> v(3, MeshVertex{});
    std::vector<MeshFace> f(1);
    f[0].a = 0;
    f[0].b = 1;
    f[0].c = 3; // no such vertex
    EXPECT_FALSE(renderer->buildVertexBuffer(v, f, handle));
    EXPECT_EQ(log.reports().back(), "[VB FAILED!]");
    f[0].c = 2;
    backend->failVertexBuffers = true;
    log.clear();
    EXPECT_FALSE(renderer->buildVertexBuffer(v, f, handle));
    ASSERT_EQ(log.reports().size(), 1u);
    EXPECT_EQ(log.reports().back(), "[VB FAILED!]");
}

TEST_F(RendererFixture, ScreenRectangleStatesAndVertices) {
    ASSERT_EQ(renderer->create3D(true), kResultOk);
    backend->clearLog();
    renderer->drawScreenRect(10, 20, 110, 70, 0x80112233u, false, 0.001f);
    ASSERT_EQ(backend->draws.size(), 1u);
    const auto& d = backend->draws[0];
    ASSERT_EQ(d.screen.size(), 4u);
    EXPECT_EQ(d.indices, (std::vector<uint16_t>{0, 2, 1, 0, 3, 2}));
    EXPECT_FLOAT_EQ(d.screen[1].sx, 10);
    EXPECT_FLOAT_EQ(d.screen[1].sy, 70);
    EXPECT_FLOAT_EQ(d.screen[1].v, 1);
    EXPECT_FLOAT_EQ(d.screen[3].sx, 110);
    EXPECT_FLOAT_EQ(d.screen[3].u, 1);
    EXPECT_FLOAT_EQ(d.screen[2].rhw, 1000.0f);
    EXPECT_FLOAT_EQ(d.screen[0].sz, 0.001f);
    EXPECT_EQ(d.screen[0].color, 0x80112233u);
    EXPECT_EQ(d.flags, kDrawDoNotUpdateExtents);
    // During the draw: blending on, z as asked, no z write; afterwards the
    // defaults are back.
    size_t drawAt = 0;
    for (size_t i = 0; i < backend->calls.size(); ++i)
        if (backend->calls[i].op == "drawScreen") drawAt = i;
    RecordingBackend replay;
    for (size_t i = 0; i < drawAt; ++i)
        if (backend->calls[i].op == "setRenderState")
            replay.renderStates[RenderState(backend->calls[i].a)] = backend->calls[i].b;
    EXPECT_EQ(replay.renderStates[RenderState::AlphaBlendEnable], 1u);
    EXPECT_EQ(replay.renderStates[RenderState::ZEnable], 0u);
    EXPECT_EQ(replay.renderStates[RenderState::ZWriteEnable], 0u);
    EXPECT_EQ(backend->stageStates[StageState::ColorOp], kOpSelectArg1);
    EXPECT_EQ(backend->stageStates[StageState::AlphaOp], kOpModulate);
    EXPECT_EQ(backend->renderStates[RenderState::AlphaBlendEnable], 0u);
    EXPECT_EQ(backend->renderStates[RenderState::ZEnable], 1u);
    EXPECT_EQ(backend->renderStates[RenderState::ZWriteEnable], 1u);
}

TEST_F(RendererFixture, AmbientLightPacksTruncatedChannels) {
    ASSERT_EQ(renderer->create3D(true), kResultOk);
    renderer->setAmbientLight(0.5f, 1.0f, 0.1f);
    EXPECT_EQ(backend->ambient, 0xFF7FFF19u);
    float r, g, b;
    renderer->getAmbientLight(r, g, b);
    EXPECT_FLOAT_EQ(r, 0.5f);
    EXPECT_FLOAT_EQ(b, 0.1f);
    renderer->setBilinearFiltering(true);
    EXPECT_EQ(backend->renderStates[RenderState::TextureMag], kFilterLinear);
    EXPECT_EQ(backend->renderStates[RenderState::TextureMin], kFilterLinear);
    renderer->textureClamp();
    EXPECT_EQ(backend->stageStates[StageState::AddressMode], kAddressClamp);
    renderer->textureWrap();
    EXPECT_EQ(backend->stageStates[StageState::AddressMode], kAddressWrap);
}

TEST_F(RendererFixture, LinesArePlainAndPointsCarryTheirColour) {
    ASSERT_EQ(renderer->create3D(true), kResultOk);
    backend->clearLog();
    renderer->drawLine(1, 2, 3, 4, 5, 6);
    renderer->drawPoint(7, 8, 9, 0xFF00FF00u);
    ASSERT_EQ(backend->draws.size(), 2u);
    EXPECT_EQ(backend->draws[0].type, PrimitiveType::LineList);
    EXPECT_EQ(backend->draws[0].flags, kDrawDoNotLight | kDrawDoNotUpdateExtents);
    EXPECT_FLOAT_EQ(backend->draws[0].unlit[1].z, 6);
    EXPECT_FLOAT_EQ(backend->draws[0].unlit[1].ny, 0);
    EXPECT_EQ(backend->draws[1].type, PrimitiveType::PointList);
    EXPECT_EQ(backend->draws[1].lit[0].color, 0xFF00FF00u);
    EXPECT_EQ(backend->draws[1].lit[0].specular, 0u);
}

TEST_F(RendererFixture, LightIsAttachedUntilReleased) {
    ASSERT_EQ(renderer->create3D(true), kResultOk);
    {
        auto light = renderer->createLight();
        EXPECT_TRUE(backend->lightAttached);
        EXPECT_EQ(backend->light.type, LightType::Point);
        EXPECT_FLOAT_EQ(backend->light.attenuation0, 1.0f);
        EXPECT_FLOAT_EQ(backend->light.direction.z, 1.0f);
        light->setPosition(1, 2, 3);
        EXPECT_FLOAT_EQ(backend->light.position.y, 2);
        EXPECT_EQ(renderer->light(), light.get());
    }
    EXPECT_FALSE(backend->lightAttached);
    EXPECT_EQ(renderer->light(), nullptr);
}

// The night map's share by the sun's altitude: none with the sun 6° up,
// all of it 6° down, half on the horizon, smooth in between.
TEST(TwilightWeight, NoneAtSixDegreesUpHalfOnTheHorizonAllAtSixDown) {
    const float deg = 0.017453292f;
    EXPECT_FLOAT_EQ(twilightWeight(std::sin(6.0f * deg)), 0.0f);
    EXPECT_FLOAT_EQ(twilightWeight(0.0f), 0.5f);
    EXPECT_FLOAT_EQ(twilightWeight(std::sin(-6.0f * deg)), 1.0f);
    EXPECT_FLOAT_EQ(twilightWeight(0.9f), 0.0f) << "the day side";
    EXPECT_FLOAT_EQ(twilightWeight(-0.9f), 1.0f) << "deep night";
    // 3° up: t = (sin 6° - sin 3°) / (2 sin 6°) = 0.24966, 3t² - 2t³ = 0.15586.
    EXPECT_NEAR(twilightWeight(std::sin(3.0f * deg)), 0.15586f, 1e-4f);
    EXPECT_NEAR(twilightWeight(std::sin(-3.0f * deg)), 1.0f - 0.15586f, 1e-4f);
    float last = 0.0f;
    for (float a = 8.0f; a >= -8.0f; a -= 0.25f) {
        const float w = twilightWeight(std::sin(a * deg));
        EXPECT_GE(w, last) << a << " degrees";
        last = w;
    }
}

TEST_F(RendererFixture, ThePlanetShadingGoesWithItsMaterialAndOnlyThere) {
    ASSERT_EQ(renderer->create3D(true), kResultOk);
    uint8_t pixels[4] = {10, 20, 30, 255};
    Texture night(*device);
    ASSERT_EQ(night.createFromPixels(1, 1, 32, 0, pixels), kResultOk);
    const uint32_t planet = renderer->createMaterial();
    const uint32_t plain = renderer->createMaterial();
    renderer->material(planet).setSurface(SurfaceShading::Planet, &night, 0.4f);
    backend->clearLog();

    renderer->applyMaterial(planet, 0);
    EXPECT_EQ(backend->surface.shading, SurfaceShading::Planet);
    EXPECT_EQ(backend->surface.nightTexture, night.deviceId());
    EXPECT_FLOAT_EQ(backend->surface.air, 0.4f);
    // The same again costs nothing.
    renderer->applyMaterial(planet, 0);
    EXPECT_EQ(backend->countCalls("setSurfaceEffects"), 1u);
    // Any other material switches it off.
    renderer->applyMaterial(plain, 0);
    EXPECT_EQ(backend->surface, SurfaceEffects{});
    EXPECT_EQ(backend->countCalls("setSurfaceEffects"), 2u);
    // So does a lit triangle drawn after the planet.
    renderer->applyMaterial(planet, 0);
    const float v[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    renderer->drawTriangle(PrimitiveType::TriangleList, v, v, v, nullptr, 0);
    ASSERT_FALSE(backend->draws.empty());
    EXPECT_EQ(backend->draws.back().surface.shading, SurfaceShading::None);
    // A new device starts without it.
    renderer->applyMaterial(planet, 0);
    renderer->release3D();
    ASSERT_EQ(renderer->create3D(true), kResultOk);
    EXPECT_EQ(backend->surface, SurfaceEffects{});
    renderer->applyMaterial(planet, 0);
    EXPECT_EQ(backend->surface.shading, SurfaceShading::Planet);
}
