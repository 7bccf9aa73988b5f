#include "recording_scene.h"

#include "core/angles.h"
#include "core/vector3.h"
#include "engine/texture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

using namespace gv;
using gv::testing::RecordingScene;

namespace {

using Planets = RecordingScene;

Vector3 pos(const MeshVertex& v) {
    return {v.x, v.y, v.z};
}

// Every face turns its front (the winding that is drawn) away from the centre.
void expectOutwardFaces(const Mesh& mesh, const Vector3& centre) {
    const auto& v = mesh.vertices();
    int inward = 0;
    for (const MeshFace& f : mesh.faces()) {
        const Vector3 n = triangleNormal(pos(v[f.a]), pos(v[f.b]), pos(v[f.c]));
        if (length(n) == 0.0f) continue; // the clones' pole rows fold to a point
        const Vector3 mid = scale(pos(v[f.a]) + pos(v[f.b]) + pos(v[f.c]), 1.0f / 3.0f);
        if (dot(n, mid - centre) <= 0.0f) ++inward;
    }
    EXPECT_EQ(inward, 0);
}

std::string logText() {
    std::ifstream in("geovista.log");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

TEST_F(Planets, EightPatchSphereCountsAtTheLowestAndHighestLevels) {
    auto low = buildEightPatchSphere(*renderer, 128.0f, meshResolution(0), 0);
    ASSERT_TRUE(low);
    EXPECT_EQ(low->vertices().size(), 8u * 13u);
    EXPECT_EQ(low->faces().size(), 8u * 15u);
    auto high = buildEightPatchSphere(*renderer, 128.0f, meshResolution(6), 0);
    ASSERT_TRUE(high);
    EXPECT_EQ(high->vertices().size(), 2744u);
    // One run per material: eight material changes per draw.
    EXPECT_EQ(high->runLengths().size(), 8u);
    expectOutwardFaces(*high, {});
}

TEST_F(Planets, EightPatchHalvesMeetOnTheEquatorAndPatchesShareMeridians) {
    const int n = meshResolution(3);
    auto mesh = buildEightPatchSphere(*renderer, 128.0f, n, 0);
    ASSERT_TRUE(mesh);
    const int w = n / 2, h = n / 2 - 1, perPatch = 1 + w * h;
    const auto& v = mesh->vertices();
    auto at = [&](int patch, int ring, int k) {
        return v[size_t(patch * perPatch + 1 + (ring - 1) * w + k)];
    };
    for (int patch = 0; patch < 8; ++patch) {
        const bool south = patch >= 4;
        const MeshVertex& pole = v[size_t(patch * perPatch)];
        EXPECT_EQ(pole.y, south ? -128.0f : 128.0f);
        EXPECT_EQ(pole.v, south ? 1.0f : 0.0f);
        for (int k = 0; k < w; ++k) {
            const MeshVertex& e = at(patch, h, k);
            EXPECT_EQ(e.y, 0.0f) << "patch " << patch;
            // The tile's bottom row (north) or top row (south) is the equator.
            EXPECT_FLOAT_EQ(e.v, south ? 0.0f : 1.0f);
            // The northern point has the very same position in the south.
            if (!south) {
                const MeshVertex& s = at(patch + 4, h, k);
                EXPECT_EQ(e.x, s.x);
                EXPECT_EQ(e.z, s.z);
            }
        }
        // The last column of a patch lies on the first meridian of the next.
        const int next = south ? 4 + (patch - 4 + 1) % 4 : (patch + 1) % 4;
        for (int ring = 1; ring <= h; ++ring) {
            const Vector3 a = pos(at(patch, ring, w - 1)), b = pos(at(next, ring, 0));
            EXPECT_NEAR(distance(a, b), 0.0f, 1e-3f);
            EXPECT_FLOAT_EQ(at(patch, ring, w - 1).u, 1.0f);
            EXPECT_FLOAT_EQ(at(next, ring, 0).u, 0.0f);
        }
    }
    for (const MeshFace& f : mesh->faces()) {
        // Each face's material is its patch's.
        const int patch = int(f.a) / perPatch;
        EXPECT_EQ(f.material, patch);
    }
}

TEST_F(Planets, UvSphereRaisesTooFewSlicesAndFlattensTheTexture) {
    auto tiny = buildUvSphere(*renderer, 48.0f, 2, 1, 0, false);
    ASSERT_TRUE(tiny);
    // Two poles and one ring of 3 points plus its seam copy.
    EXPECT_EQ(tiny->vertices().size(), 6u);
    EXPECT_EQ(tiny->faces().size(), 6u);
    for (int stacks : {3, 7, 20, 38}) {
        auto s = buildUvSphere(*renderer, 32.0f, 20, stacks, 0, true);
        ASSERT_TRUE(s);
        float top = 2, bottom = -1;
        for (const MeshVertex& v : s->vertices()) {
            EXPECT_NEAR(v.v, 1.0f - (v.y + 32.0f) / 64.0f, 1e-6f);
            if (v.y == 32.0f) top = v.v;
            if (v.y == -32.0f) bottom = v.v;
        }
        EXPECT_EQ(top, 0.0f);
        EXPECT_EQ(bottom, 1.0f);
        expectOutwardFaces(*s, {});
    }
    auto seam = buildUvSphere(*renderer, 48.0f, 12, 8, 0, false);
    const auto& v = seam->vertices();
    for (int ring = 0; ring < 6; ++ring) {
        const MeshVertex& first = v[size_t(2 + ring * 13)];
        const MeshVertex& copy = v[size_t(2 + ring * 13 + 12)];
        EXPECT_EQ(first.x, copy.x);
        EXPECT_EQ(first.nx, copy.nx);
        EXPECT_EQ(first.nz, copy.nz);
        EXPECT_FLOAT_EQ(copy.u, 1.0f);
        // Smooth normals of a sphere point about along the radius (the
        // first column only sees the faces on its own side of the seam).
        EXPECT_GT(dot(normalize(pos(first)), Vector3{first.nx, first.ny, first.nz}), 0.95f);
    }
}

TEST_F(Planets, MorphClonesShareVertexAndFaceOrder) {
    const int n = meshResolution(3);
    auto globe = buildMorphSphere(*renderer, 128.0f, n, 0, false, 1.0f);
    auto wide = buildMorphSphere(*renderer, 192.0f, n, 0, false, 0.5f);
    auto flat = buildMorphSphere(*renderer, 128.0f, n, 0, true, 1.45f);
    ASSERT_TRUE(globe && wide && flat);
    const size_t q = size_t(n / 2);
    for (const Mesh* m : {globe.get(), wide.get(), flat.get()}) {
        ASSERT_EQ(m->vertices().size(), 8 * q * q);
        ASSERT_EQ(m->faces().size(), globe->faces().size());
        for (size_t i = 0; i < m->faces().size(); ++i) {
            EXPECT_EQ(m->faces()[i].a, globe->faces()[i].a);
            EXPECT_EQ(m->faces()[i].c, globe->faces()[i].c);
            EXPECT_EQ(m->faces()[i].material, globe->faces()[i].material);
        }
        for (size_t i = 0; i < m->vertices().size(); ++i) {
            EXPECT_EQ(m->vertices()[i].u, globe->vertices()[i].u);
            EXPECT_EQ(m->vertices()[i].v, globe->vertices()[i].v);
        }
    }
    expectOutwardFaces(*globe, {});
    float zMin = 1e9f, zMax = -1e9f, yMin = 1e9f, yMax = -1e9f;
    for (const MeshVertex& v : flat->vertices()) {
        EXPECT_EQ(v.x, -128.0f);
        EXPECT_EQ(v.nx, -1.0f);
        zMin = std::min(zMin, v.z);
        zMax = std::max(zMax, v.z);
        yMin = std::min(yMin, v.y);
        yMax = std::max(yMax, v.y);
    }
    EXPECT_FLOAT_EQ(zMax, 256.0f);
    EXPECT_NEAR(zMin, -256.0f, 1e-3f);
    EXPECT_FLOAT_EQ(yMax, 1.45f * 128.0f);
    EXPECT_FLOAT_EQ(yMin, -1.45f * 128.0f);
    // The wide segment reaches latitude 45 at most and faces -x.
    for (const MeshVertex& v : wide->vertices()) {
        EXPECT_LE(std::fabs(v.y), 192.0f * std::sin(kPi / 4.0f) + 1e-3f);
        EXPECT_LE(v.x, 1e-3f);
    }
}

TEST_F(Planets, EarthTakesSlotsZeroToSevenAndRebuildsInPlace) {
    prefs.earthSpecularity = 40;
    prefs.earthSpecularPower = 12;
    ASSERT_TRUE(buildEarth());
    PlanetObjects& p = planets();
    EXPECT_EQ(p.earthMaterial0, 0u);
    ASSERT_TRUE(p.earth);
    for (uint32_t i = 0; i < 8; ++i) {
        Material& m = renderer->material(i);
        ASSERT_NE(m.texture(), nullptr);
        EXPECT_EQ(m.texture()->name(), "worldtex");
        EXPECT_EQ(m.texture()->width(), 256);
        EXPECT_FLOAT_EQ(m.specular().r, 0.4f);
        EXPECT_FLOAT_EQ(m.power(), 12.0f);
    }
    for (const auto& c : p.clones)
        ASSERT_TRUE(c);
    const size_t materials = renderer->materialCount();
    const size_t textures = device->registeredTextureCount();
    prefs.earthMeshResolution = 0;
    ASSERT_TRUE(buildEarth());
    EXPECT_EQ(renderer->materialCount(), materials) << "the same eight slots";
    // The old textures are gone from the device, eight new ones took their place.
    EXPECT_EQ(device->registeredTextureCount(), textures);
    EXPECT_EQ(p.earth->vertices().size(), 8u * 13u);
    for (uint32_t i = 0; i < 8; ++i) {
        EXPECT_EQ(renderer->material(i).texture(), p.earthTextures[i].get());
        EXPECT_FLOAT_EQ(renderer->material(i).specular().r, 0.4f) << "settings applied again";
    }
    for (const MeshFace& f : p.earth->faces())
        EXPECT_LT(f.material, 8u);

    ASSERT_TRUE(buildSun());
    ASSERT_TRUE(buildMoon());
    EXPECT_EQ(renderer->material(p.sunMaterial).record().emissive.r, 1.0f);
    EXPECT_EQ(renderer->material(p.moonMaterial).power(), 7.0f);
    EXPECT_EQ(p.moon->vertices().front().y, 32.0f);

    // Without a cloud layer the earth still counts as built; the log says so.
    const std::string log = logText();
    EXPECT_NE(log.find("Creating planet earth .................................. "),
              std::string::npos);
    EXPECT_NE(log.find("Creating earth clouds .................................. "),
              std::string::npos);
    EXPECT_NE(log.find("[ FAILED: non-fatal error ]"), std::string::npos);
    EXPECT_NE(log.find("Creating sun ........................................... "),
              std::string::npos);
    EXPECT_NE(log.find("Creating moon .......................................... "),
              std::string::npos);
    EXPECT_EQ(std::string("Creating moon .......................................... ").size(), 57u);
}

TEST_F(Planets, ResolutionLevelsAndNames) {
    EXPECT_EQ(meshResolution(0), 8);
    EXPECT_EQ(meshResolution(3), 20);
    EXPECT_EQ(meshResolution(6), 38);
    EXPECT_EQ(meshResolution(9), 20);
    EXPECT_STREQ(meshResolutionName(6), "ULTRA HIGH");
    EXPECT_STREQ(meshResolutionName(3), "MEDIUM");
}
