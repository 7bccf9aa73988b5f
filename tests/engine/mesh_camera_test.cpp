#include "engine/display_device.h"
#include "engine/mesh.h"
#include "engine/recording_backend.h"
#include "engine/renderer.h"
#include "engine/texture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <new>
#include <numbers>

using namespace gv;

namespace {

struct MeshFixture : ::testing::Test {
    RecordingBackend* backend = nullptr;
    std::unique_ptr<DisplayDevice> device;
    std::unique_ptr<Renderer> renderer;
    void SetUp() override {
        auto b = std::make_unique<RecordingBackend>();
        backend = b.get();
        platform::DisplayInfo info;
        info.modes = {{640, 480, 32, 0}};
        device = std::make_unique<DisplayDevice>(std::move(b), std::vector{info}, 32);
        ASSERT_EQ(device->selectDriver(0), 0u);
        ASSERT_EQ(device->selectMode(0, true, false), 0u);
        renderer = std::make_unique<Renderer>(*device);
        ASSERT_EQ(renderer->create3D(true), 0u);
        for (int i = 0; i < 4; ++i)
            renderer->createMaterial();
    }
    void fill(Mesh& mesh, std::initializer_list<int> materials) {
        for (int i = 0; i < 3; ++i)
            mesh.appendVertex({float(i), 0, 0, 0, 0, 1, 0, 0});
        for (int m : materials) {
            MeshFace f;
            f.a = 0;
            f.b = 1;
            f.c = 2;
            f.material = m;
            mesh.appendFace(f);
        }
    }
};

} // namespace

TEST_F(MeshFixture, FacesGroupIntoRunsDrawnInMaterialOrder) {
    Mesh mesh(*renderer);
    fill(mesh, {3, 1, 3, 2});
    ASSERT_TRUE(mesh.finalize());
    EXPECT_EQ(mesh.runLengths(), (std::vector<uint32_t>{1, 1, 2}));
    EXPECT_EQ(mesh.faces()[0].material, 1);
    EXPECT_EQ(mesh.faces()[3].material, 3);
    EXPECT_EQ(mesh.bufferHandle(), 0);
    backend->clearLog();
    mesh.draw();
    ASSERT_EQ(backend->draws.size(), 3u);
    const uint32_t first[3] = {0, 3, 6}, count[3] = {3, 3, 6}, handle[3] = {2, 3, 4};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(backend->draws[size_t(i)].firstIndex, first[i]);
        EXPECT_EQ(backend->draws[size_t(i)].indexCount, count[i]);
        EXPECT_EQ(backend->draws[size_t(i)].materialHandle, handle[i]); // index + 1
        EXPECT_EQ(backend->draws[size_t(i)].type, PrimitiveType::TriangleList);
        EXPECT_EQ(backend->draws[size_t(i)].flags, kDrawDoNotUpdateExtents);
    }
    // The world matrix goes first.
    EXPECT_EQ(backend->calls.front().op, "setTransform");
    EXPECT_EQ(backend->calls.front().a, uint32_t(TransformType::World));
}

TEST_F(MeshFixture, FacesWithoutMaterialKeepTheSelectedOne) {
    Mesh mesh(*renderer);
    fill(mesh, {-1, -1});
    ASSERT_TRUE(mesh.finalize());
    EXPECT_EQ(mesh.runLengths(), (std::vector<uint32_t>{2}));
    renderer->applyMaterial(2, 0);
    backend->clearLog();
    mesh.draw();
    EXPECT_EQ(backend->countCalls("setMaterial"), 0u);
    ASSERT_EQ(backend->draws.size(), 1u);
    EXPECT_EQ(backend->draws[0].materialHandle, 3u);
}

TEST_F(MeshFixture, EmptyMeshHasNoRunsAndNoBuffer) {
    Mesh mesh(*renderer);
    EXPECT_TRUE(mesh.finalize());
    EXPECT_TRUE(mesh.runLengths().empty());
    EXPECT_EQ(mesh.bufferHandle(), -1);
    EXPECT_EQ(backend->countCalls("createVertexBuffer"), 0u);
    backend->clearLog();
    mesh.draw();
    EXPECT_TRUE(backend->draws.empty());
}

TEST_F(MeshFixture, TransformsAndReleaseOfTheBuffer) {
    {
        Mesh mesh(*renderer);
        EXPECT_EQ(mesh.position().x, 0.0f);
        EXPECT_EQ(mesh.position().z, 0.0f);
        mesh.setPosition({1, 2, 3});
        EXPECT_EQ(mesh.position().y, 2.0f);
        mesh.translate(1, 0, 0);
        EXPECT_EQ(mesh.position().x, 2.0f);
        mesh.resetTransform();
        mesh.rotate(0, std::numbers::pi_v<float> / 2, 0);
        // Row vectors: rotation about y carries +x to (cos, 0, sin)... here +z.
        const Vector3 p = transformPoint({1, 0, 0}, mesh.world());
        EXPECT_NEAR(p.z, 1.0f, 1e-6f);
        fill(mesh, {0});
        ASSERT_TRUE(mesh.finalize());
        EXPECT_EQ(backend->buffers.size(), 1u);
    }
    EXPECT_TRUE(backend->buffers.empty());
}

TEST(Camera, SetPositionMovesWithoutTurning) {
    Camera cam(1.0f, 640, 480);
    EXPECT_FLOAT_EQ(cam.nearPlane(), 1.0f);
    EXPECT_FLOAT_EQ(cam.farPlane(), 650.0f);
    EXPECT_FLOAT_EQ(cam.target().z, 10.0f);
    cam.setPosition({5, 0, 0});
    EXPECT_FLOAT_EQ(cam.target().x, 5.0f);
    EXPECT_FLOAT_EQ(cam.target().z, 10.0f);
    EXPECT_FLOAT_EQ(cam.position().x, 5.0f);
    // The view looks down +z from (5, 0, 0): a point ahead lands on the axis.
    const Vector3 v = transformPoint({5, 0, 7}, cam.view());
    EXPECT_NEAR(v.x, 0.0f, 1e-6f);
    EXPECT_NEAR(v.z, 7.0f, 1e-6f);
    cam.lookAt({5, 3, 0});
    EXPECT_FLOAT_EQ(cam.target().y, 3.0f);
}

TEST(Camera, ProjectionMapsNearAndFarToZeroAndOne) {
    Camera cam(1.2f, 640, 480);
    cam.setNear(2.0f);
    cam.setFar(100.0f);
    EXPECT_NEAR(transformPoint({0, 0, 2}, cam.projection()).z, 0.0f, 1e-6f);
    EXPECT_NEAR(transformPoint({0, 0, 100}, cam.projection()).z, 1.0f, 1e-5f);
    // Full vertical angle: a point on the edge of the view maps to y = cos/sin
    // scaled back, i.e. tan(fov/2) * z gives 1.
    const float y = std::tan(0.6f) * 10.0f;
    EXPECT_NEAR(transformPoint({0, y, 10}, cam.projection()).y, 1.0f, 1e-5f);
    cam.setFov(0.5f);
    EXPECT_FLOAT_EQ(cam.projection().m[0][0], std::cos(0.25f));
}

TEST_F(MeshFixture, SceneContainerHoldsTwoMaterials) {
    const size_t before = renderer->materialCount();
    SceneContainer scene(*renderer);
    EXPECT_EQ(renderer->materialCount(), before + 2);
    EXPECT_FLOAT_EQ(renderer->material(scene.redMaterial()).diffuse().g, 0.0f);
    EXPECT_FLOAT_EQ(renderer->material(scene.whiteMaterial()).diffuse().g, 1.0f);
    EXPECT_TRUE(scene.mesh().faces().empty());
}

TEST(Lifetimes, ObjectsThatGoWithTheProcessMayOutliveTheirDevice) {
    // Fonts, planet meshes and the light are not destroyed at shut-down; when
    // they go after the renderer and the display device they must not touch
    // them. The two live in storage that is scrambled once they are gone, so
    // that a touch fails here too, not only under the sanitizers.
    alignas(DisplayDevice) unsigned char deviceBytes[sizeof(DisplayDevice)];
    alignas(Renderer) unsigned char rendererBytes[sizeof(Renderer)];
    auto* device = new (deviceBytes) DisplayDevice(std::make_unique<RecordingBackend>(),
                                                   std::vector<platform::DisplayInfo>{}, 32);
    auto* renderer = new (rendererBytes) Renderer(*device);
    auto texture = std::make_unique<Texture>(*device);
    const uint8_t px[4] = {1, 2, 3, 4};
    ASSERT_EQ(texture->createFromPixelsRegistered(1, 1, 32, 8, px), 0u);
    auto mesh = std::make_unique<Mesh>(*renderer);
    mesh->appendVertex({0, 0, 0, 0, 0, 1, 0, 0});
    mesh->appendFace(MeshFace{});
    ASSERT_TRUE(mesh->finalize());
    auto light = renderer->createLight();
    const auto deviceAlive = device->aliveToken();
    const auto rendererAlive = renderer->aliveToken();
    EXPECT_TRUE(*deviceAlive && *rendererAlive);
    renderer->~Renderer();
    device->~DisplayDevice();
    EXPECT_FALSE(*rendererAlive) << "meshes and lights must learn that the renderer is gone";
    EXPECT_FALSE(*deviceAlive) << "textures must learn that the device is gone";
    std::memset(rendererBytes, 0xA5, sizeof rendererBytes);
    std::memset(deviceBytes, 0xA5, sizeof deviceBytes);
    light.reset();
    mesh.reset();
    texture.reset();
}

TEST_F(MeshFixture, ChangedVerticesGoToTheSameBufferLaidOutAsBuilt) {
    Mesh mesh(*renderer);
    renderer->material(2).setDiffuse(1.0f, 0.5f, 0.0f, 1.0f);
    fill(mesh, {2});
    ASSERT_TRUE(mesh.finalize());
    ASSERT_EQ(backend->buffers.size(), 1u);
    const uint32_t id = backend->buffers.begin()->first;
    mesh.editableVertices()[1].y = 7.0f;
    mesh.editableVertices()[2].nx = -1.0f;
    backend->clearLog();
    ASSERT_TRUE(mesh.uploadVertices());
    EXPECT_EQ(backend->countCalls("updateVertexBuffer"), 1u);
    EXPECT_EQ(backend->countCalls("createVertexBuffer"), 0u) << "no new buffer";
    const auto& sent = backend->buffers.at(id).first;
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[1].y, 7.0f);
    EXPECT_EQ(sent[2].nx, -1.0f);
    EXPECT_EQ(sent[0].x, 0.0f);
    EXPECT_EQ(sent[1].diffuse, 0xFFFF7F00u) << "the face's material colour, as built";

    // A mesh without faces has no buffer to send to.
    Mesh empty(*renderer);
    empty.appendVertex({0, 0, 0, 0, 0, 1, 0, 0});
    ASSERT_TRUE(empty.finalize());
    EXPECT_FALSE(empty.uploadVertices());
    // A backend refuses more vertices than the buffer was made with.
    const BufferVertex extra[4] = {};
    EXPECT_FALSE(backend->updateVertexBuffer(id, extra, 4));
    EXPECT_FALSE(backend->updateVertexBuffer(id + 100, extra, 1));
}
