#include "scene/planet_objects.h"

#include "core/angles.h"
#include "core/log.h"
#include "core/startup_step.h"
#include "engine/bitmap.h"
#include "engine/display_device.h"
#include "engine/renderer.h"
#include "engine/texture.h"
#include "scene/air_shell.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace gv {

namespace {

constexpr int kLevelN[kMeshLevelCount] = {8, 12, 16, 20, 24, 32, 38};
constexpr const char* kLevelNames[kMeshLevelCount] = {
    "ULTRA LOW", "VERY LOW", "LOW", "MEDIUM", "HIGH", "VERY HIGH", "ULTRA HIGH"};
constexpr uint32_t kEarthBitmap0 = 111;
constexpr uint32_t kNightBitmap0 = 151;
constexpr uint32_t kSunBitmap = 104;
constexpr uint32_t kMoonBitmap = 105;

PlanetObjects gPlanets;

void addFace(Mesh& mesh, uint32_t a, uint32_t b, uint32_t c, int32_t material) {
    MeshFace f;
    f.a = a;
    f.b = b;
    f.c = c;
    f.material = material;
    const auto& v = mesh.vertices();
    const Vector3 n = triangleNormal({v[a].x, v[a].y, v[a].z}, {v[b].x, v[b].y, v[b].z},
                                     {v[c].x, v[c].y, v[c].z});
    f.plane = {n.x, n.y, n.z, n.x * v[a].x + n.y * v[a].y + n.z * v[a].z};
    mesh.appendFace(f);
}

MeshVertex radialVertex(float x, float y, float z) {
    const Vector3 n = normalize(Vector3{x, y, z});
    return {x, y, z, n.x, n.y, n.z, 0.0f, 0.0f};
}

// One quarter-hemisphere; south mirrors the north through the equator with
// every triangle turned round so that it still faces outward.
void appendPatch(Mesh& mesh, float r, int n, float a0, int32_t material, bool south) {
    const int w = n / 2, h = n / 2 - 1;
    const float sign = south ? -1.0f : 1.0f;
    const uint32_t pole = uint32_t(mesh.vertices().size());
    const float du = 1.0f / float(w - 1), dv = 1.0f / float(h);
    // The pole ends with the u of the last cap face.
    mesh.appendVertex(
        {0.0f, sign * r, 0.0f, 0.0f, sign, 0.0f, float(w - 2) * du, south ? 1.0f : 0.0f});
    for (int j = 1; j <= h; ++j) {
        const float phi = float(j) * (kPi / 2.0f) / float(h);
        // The equator ring is put on y = 0 exactly so both halves meet.
        const float y = j == h ? 0.0f : r * std::cos(phi);
        const float rho = r * std::sin(phi);
        for (int k = 0; k < w; ++k) {
            const float theta = a0 + float(k) * (kPi / 2.0f) / float(w - 1);
            MeshVertex v = radialVertex(rho * std::cos(theta), sign * y, rho * std::sin(theta));
            v.u = std::min(float(k) * du, 1.0f);
            const float along = float(j) * dv;
            v.v = south ? 1.0f - along : along;
            mesh.appendVertex(v);
        }
    }
    auto ring = [&](int j, int k) { return pole + 1 + uint32_t((j - 1) * w + k); };
    for (int k = 0; k <= w - 2; ++k) {
        if (south)
            addFace(mesh, pole, ring(1, k), ring(1, k + 1), material);
        else
            addFace(mesh, pole, ring(1, k + 1), ring(1, k), material);
    }
    for (int j = 1; j <= h - 1; ++j)
        for (int k = 0; k <= w - 2; ++k) {
            const uint32_t a = ring(j, k), b = ring(j + 1, k);
            if (south) {
                addFace(mesh, a, b, b + 1, material);
                addFace(mesh, a, b + 1, a + 1, material);
            } else {
                addFace(mesh, a, b + 1, b, material);
                addFace(mesh, a, a + 1, b + 1, material);
            }
        }
}

void appendMorphPatch(Mesh& mesh, float r, int q, float a0, float f, bool flat, int32_t material,
                      bool south) {
    const uint32_t base = uint32_t(mesh.vertices().size());
    const float sign = south ? -1.0f : 1.0f;
    const float last = float(q - 1);
    for (int i = 0; i < q; ++i)
        for (int j = 0; j < q; ++j) {
            MeshVertex v;
            if (flat) {
                const float z0 = 2.0f * r - 2.0f * a0 * r / kPi;
                v = {-r,
                     sign * (r * f - float(i) * r * f / last),
                     z0 - float(j) * r / last,
                     -1.0f,
                     0.0f,
                     0.0f,
                     0.0f,
                     0.0f};
            } else {
                const float t = f * (kPi / 2.0f) / last;
                const float phi = (1.0f - f) * kPi / 2.0f + float(i) * t;
                const float theta = (kPi - f * kPi) + a0 + float(j) * t;
                v = radialVertex(r * std::sin(phi) * std::cos(theta), sign * r * std::cos(phi),
                                 r * std::sin(phi) * std::sin(theta));
            }
            v.u = float(j) / last;
            v.v = south ? 1.0f - float(i) / last : float(i) / last;
            mesh.appendVertex(v);
        }
    const uint32_t uq = uint32_t(q);
    for (int i = 0; i < q - 1; ++i)
        for (int j = 0; j < q - 1; ++j) {
            const uint32_t a = base + uint32_t(i) * uq + uint32_t(j);
            if (south) {
                addFace(mesh, a, a + uq, a + uq + 1, material);
                addFace(mesh, a, a + uq + 1, a + 1, material);
            } else {
                addFace(mesh, a, a + uq + 1, a + uq, material);
                addFace(mesh, a, a + 1, a + uq + 1, material);
            }
        }
}

std::unique_ptr<Texture> textureFromBitmap(uint32_t bitmapId, const char* name, bool& bitmapOk) {
    PlanetObjects& p = gPlanets;
    std::optional<Bitmap> bitmap = loadBitmapResource(bitmapId);
    bitmapOk = bitmap.has_value();
    if (!bitmapOk) return nullptr;
    auto texture = std::make_unique<Texture>(*p.display);
    if (texture->createFromBitmap(name, *bitmap, AlphaMode::None, 16, 0, 0.1f) != 0) return nullptr;
    // Kept so that a screen-mode change uploads it again.
    p.display->registerTexture(texture.get());
    return texture;
}

void setEarthMaterial(uint32_t i) {
    PlanetObjects& p = gPlanets;
    Material& m = p.renderer->material(p.earthMaterial0 + i);
    m.setRecord(MaterialRecord{});
    m.setTexture(p.earthTextures[i].get());
    m.setDiffuse(1, 1, 1, 1);
    m.setAmbient(1, 1, 1, 1);
    const float s = float(p.prefs->earthSpecularity) / 100.0f;
    m.setSpecular(s, s, s, 1);
    m.setEmissive(0, 0, 0, 1);
    m.setPower(float(p.prefs->earthSpecularPower));
    m.setBlendMode(MaterialBlendMode::Opaque);
}

bool buildEarthTexturesAndMaterials() {
    PlanetObjects& p = gPlanets;
    for (uint32_t i = 0; i < kEarthPatches; ++i) {
        bool bitmapOk = false;
        p.earthTextures[i] = textureFromBitmap(kEarthBitmap0 + i, "worldtex", bitmapOk);
        if (!bitmapOk) {
            logWrite("[ FAILED: earth bitmap ]\n");
            return false;
        }
        if (!p.earthTextures[i]) {
            logWrite("[ FAILED: earth texture ]\n");
            return false;
        }
        setEarthMaterial(i);
        // The lights are a look, not a need: a tile without its bitmap
        // or texture shows none.
        bool nightBitmapOk = false;
        p.nightTextures[i] = textureFromBitmap(kNightBitmap0 + i, "nighttex", nightBitmapOk);
    }
    return true;
}

// The ring of air round the disc, added to what lies behind it.
void buildAirRing() {
    PlanetObjects& p = gPlanets;
    Renderer& r = *p.renderer;
    if (!p.airReserved) {
        p.airMaterial = r.createMaterial();
        p.airReserved = true;
    }
    Material& m = r.material(p.airMaterial);
    m.setRecord(MaterialRecord{});
    m.setTexture(nullptr);
    m.setBlendMode(MaterialBlendMode::Additive);
    m.cullMode = d3d::kCullNone;
    m.zWrite = false;
    m.setSurface(SurfaceShading::AirShell, nullptr, kAirShellStrength);
    p.airRing = gv::buildAirRing(r, int32_t(p.airMaterial));
}

bool buildEarthGeometry() {
    PlanetObjects& p = gPlanets;
    Renderer& r = *p.renderer;
    const int32_t m0 = int32_t(p.earthMaterial0);
    p.earth =
        buildEightPatchSphere(r, kEarthRadius, meshResolution(p.prefs->earthMeshResolution), m0);
    if (!p.earth) {
        logWrite("[ FAILED: earth mesh ]\n");
        return false;
    }
    const int n = meshResolution(p.prefs->locationsMeshResolution);
    struct CloneShape {
        float radius;
        bool flat;
        float factor;
    };
    // The globe, a wide flat-ish segment facing -x, the flat map, and the
    // working copy that the locations manager overwrites with blends.
    const CloneShape shapes[kMorphClones] = {
        {128.0f, false, 1.0f}, {192.0f, false, 0.5f}, {128.0f, true, 1.45f}, {128.0f, false, 1.0f}};
    for (int c = 0; c < kMorphClones; ++c) {
        p.clones[size_t(c)] =
            buildMorphSphere(r, shapes[c].radius, n, m0, shapes[c].flat, shapes[c].factor);
        if (!p.clones[size_t(c)]) {
            logWrite("[ FAILED: earth morph clone #%d ]\n", c);
            return false;
        }
    }
    return true;
}

// The sun's and the moon's shared pattern: one texture, one material, one
// sphere with a straight top-to-bottom texture.
bool buildBody(bool& reserved, uint32_t& material, std::unique_ptr<Texture>& texture,
               std::unique_ptr<Mesh>& mesh, const char* label, uint32_t bitmapId,
               const char* textureName, float radius, bool isSun) {
    PlanetObjects& p = gPlanets;
    Renderer& r = *p.renderer;
    const char* destroyText = isSun ? "*** FATAL ERROR while destroying the sun ***\n"
                                    : "*** FATAL ERROR while destroying the moon ***\n";
    const char* reserveText = isSun ? "*** FATAL ERROR while allocating room for the sun ***\n"
                                    : "*** FATAL ERROR while allocating room for the moon ***\n";
    if (reserved) {
        try {
            mesh.reset();
            texture.reset();
            r.material(material).setRecord(MaterialRecord{});
            r.material(material).setTexture(nullptr);
        } catch (...) {
            logWrite("%s", destroyText);
            return false;
        }
    } else {
        try {
            material = r.createMaterial();
            reserved = true;
        } catch (...) {
            logWrite("%s", reserveText);
            return false;
        }
    }
    logStepLabel(label);
    try {
        bool bitmapOk = false;
        texture = textureFromBitmap(bitmapId, textureName, bitmapOk);
        if (!bitmapOk) {
            logWrite("[ FAILED: bitmap ]\n");
            return false;
        }
        if (!texture) {
            logWrite("[ FAILED: texture ]\n");
            return false;
        }
        if (material >= r.materialCount()) {
            logWrite("[ FAILED: material ]\n");
            return false;
        }
        Material& m = r.material(material);
        m.setRecord(MaterialRecord{});
        m.setTexture(texture.get());
        m.setBlendMode(MaterialBlendMode::Opaque);
        if (isSun) {
            // Self-lit: the light sits inside it.
            m.setEmissive(1, 1, 1, 1);
        } else {
            m.setDiffuse(1, 1, 1, 1);
            m.setAmbient(1, 1, 1, 1);
            m.setSpecular(0.5f, 0.5f, 0.5f, 1);
            m.setEmissive(0, 0, 0, 1);
            m.setPower(7.0f);
        }
        const int n = meshResolution(p.prefs->otherMeshResolution);
        mesh = buildUvSphere(r, radius, n, n, int32_t(material), true);
        if (!mesh) {
            logWrite("[ FAILED : mesh ]\n");
            return false;
        }
    } catch (...) {
        if (isSun) logWrite("*** FATAL ERROR while building Sun ***\n");
        return false;
    }
    logWrite(kPassed);
    return true;
}

} // namespace

int meshResolution(int32_t level) {
    if (level < 0 || level >= kMeshLevelCount) level = 3;
    return kLevelN[level];
}

const char* meshResolutionName(int32_t level) {
    if (level < 0 || level >= kMeshLevelCount) level = 3;
    return kLevelNames[level];
}

std::unique_ptr<Mesh> buildEightPatchSphere(Renderer& renderer, float radius, int n,
                                            int32_t firstMaterial) {
    n = std::max(n, 4);
    auto mesh = std::make_unique<Mesh>(renderer);
    for (int south = 0; south < 2; ++south)
        for (int k = 0; k < 4; ++k)
            appendPatch(*mesh, radius, n, float(k) * kPi / 2.0f, firstMaterial + south * 4 + k,
                        south != 0);
    if (!mesh->finalize()) return nullptr;
    return mesh;
}

std::unique_ptr<Mesh> buildUvSphere(Renderer& renderer, float r, int slices, int stacks,
                                    int32_t material, bool flattenV) {
    slices = std::max(slices, 3);
    stacks = std::max(stacks, 3);
    std::vector<MeshVertex> v;
    v.push_back({0.0f, r, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f});
    v.push_back({0.0f, -r, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f});
    const float du = 1.0f / float(slices), dv = 1.0f / float(stacks);
    for (int i = 1; i <= stacks - 2; ++i) {
        const float phi = float(i) * kPi / float(stacks - 1);
        for (int k = 0; k <= slices; ++k) {
            // The last column repeats the first (the seam) with u = 1.
            const float theta = float(k % slices) * kTwoPi / float(slices);
            v.push_back({r * std::sin(phi) * std::cos(theta), r * std::cos(phi),
                         r * std::sin(phi) * std::sin(theta), 0.0f, 0.0f, 0.0f, float(k) * du,
                         float(i) * dv});
        }
    }
    const uint32_t stride = uint32_t(slices + 1);
    auto ring = [&](int i, int k) { return 2 + uint32_t(i - 1) * stride + uint32_t(k); };
    struct Tri {
        uint32_t a, b, c;
    };
    std::vector<Tri> tris;
    for (int k = 0; k < slices; ++k)
        tris.push_back({0, ring(1, k + 1), ring(1, k)});
    for (int i = 1; i <= stacks - 3; ++i)
        for (int k = 0; k < slices; ++k) {
            const uint32_t a = ring(i, k), b = ring(i + 1, k);
            tris.push_back({a, b + 1, b});
            tris.push_back({a, a + 1, b + 1});
        }
    const int lastRing = stacks - 2;
    for (int k = 0; k < slices; ++k)
        tris.push_back({1, ring(lastRing, k), ring(lastRing, k + 1)});

    // Smooth normals: the mean of the normals of the faces at each vertex.
    std::vector<Vector3> sum(v.size());
    std::vector<int> uses(v.size(), 0);
    auto pos = [&](uint32_t i) { return Vector3{v[i].x, v[i].y, v[i].z}; };
    for (const Tri& t : tris) {
        const Vector3 n = triangleNormal(pos(t.a), pos(t.b), pos(t.c));
        for (uint32_t i : {t.a, t.b, t.c}) {
            sum[i] = sum[i] + n;
            ++uses[i];
        }
    }
    for (size_t i = 0; i < v.size(); ++i) {
        Vector3 n = uses[i] ? scale(sum[i], 1.0f / float(uses[i])) : Vector3{};
        n.normalize();
        v[i].nx = n.x;
        v[i].ny = n.y;
        v[i].nz = n.z;
    }
    for (int i = 1; i <= stacks - 2; ++i) {
        MeshVertex& seam = v[ring(i, slices)];
        const MeshVertex& first = v[ring(i, 0)];
        seam.nx = first.nx;
        seam.ny = first.ny;
        seam.nz = first.nz;
    }
    if (flattenV)
        for (MeshVertex& x : v)
            x.v = 1.0f - (x.y + r) / (2.0f * r);

    auto mesh = std::make_unique<Mesh>(renderer);
    for (const MeshVertex& x : v)
        mesh->appendVertex(x);
    for (const Tri& t : tris)
        addFace(*mesh, t.a, t.b, t.c, material);
    if (!mesh->finalize()) return nullptr;
    return mesh;
}

std::unique_ptr<Mesh> buildMorphSphere(Renderer& renderer, float radius, int n,
                                       int32_t firstMaterial, bool flat, float factor) {
    const int q = std::max(n, 3) / 2;
    if (q < 2) return nullptr;
    const float step = (flat ? 1.0f : factor) * kPi / 2.0f;
    auto mesh = std::make_unique<Mesh>(renderer);
    for (int south = 0; south < 2; ++south)
        for (int k = 0; k < 4; ++k)
            appendMorphPatch(*mesh, radius, q, float(k) * step, factor, flat,
                             firstMaterial + south * 4 + k, south != 0);
    if (!mesh->finalize()) return nullptr;
    return mesh;
}

PlanetObjects& planets() {
    return gPlanets;
}

void bindPlanets(Renderer& renderer, DisplayDevice& display, Preferences& prefs) {
    gPlanets.renderer = &renderer;
    gPlanets.display = &display;
    gPlanets.prefs = &prefs;
}

void releasePlanets() {
    PlanetObjects& p = gPlanets;
    p.earth.reset();
    p.airRing.reset();
    for (auto& c : p.clones)
        c.reset();
    for (auto& t : p.earthTextures)
        t.reset();
    for (auto& t : p.nightTextures)
        t.reset();
    p.sun.reset();
    p.sunTexture.reset();
    p.moon.reset();
    p.moonTexture.reset();
    p.earthReserved = p.sunReserved = p.moonReserved = p.airReserved = false;
}

void destroyEarth() {
    PlanetObjects& p = gPlanets;
    p.earth.reset();
    p.airRing.reset();
    for (auto& c : p.clones)
        c.reset();
    for (uint32_t i = 0; i < kEarthPatches; ++i) {
        p.earthTextures[i].reset();
        p.nightTextures[i].reset();
        if (p.earthReserved) {
            Material& m = p.renderer->material(p.earthMaterial0 + i);
            m.setTexture(nullptr);
            m.setSurface(SurfaceShading::None, nullptr, 0.0f);
            m.setRecord(MaterialRecord{});
        }
    }
}

bool buildEarth() {
    PlanetObjects& p = gPlanets;
    if (p.earthReserved) {
        try {
            destroyEarth();
        } catch (...) {
            logWrite("*** FATAL ERROR while destroying earth ***\n");
            return false;
        }
    } else {
        try {
            // Slots 0..7 of the material table, kept for every later build.
            p.earthMaterial0 = p.renderer->createMaterial();
            for (int i = 1; i < kEarthPatches; ++i)
                p.renderer->createMaterial();
            p.earthReserved = true;
        } catch (...) {
            logWrite("*** FATAL ERROR while allocating room for earth ***\n");
            return false;
        }
    }
    logStepLabel("Creating planet earth");
    try {
        if (!buildEarthTexturesAndMaterials()) return false;
    } catch (...) {
        logWrite("*** FATAL ERROR while building earth textures and materials ***\n");
        return false;
    }
    try {
        if (!buildEarthGeometry()) return false;
    } catch (...) {
        logWrite("*** FATAL ERROR while building earth geometry ***\n");
        return false;
    }
    logWrite(kPassed);
    logStepLabel("Creating earth clouds");
    try {
        if (p.buildCloudLayer && p.buildCloudLayer()) {
            logWrite(kPassed);
        } else {
            logWrite("[ FAILED: non-fatal error ]\n");
            if (isOn(p.prefs->cloudsFromSatellites) && p.startCloudDownload) p.startCloudDownload();
        }
    } catch (...) {
        logWrite("*** FATAL ERROR while building clouds geometry and texture ***\n");
        return false;
    }
    // After the clouds, whose materials follow the earth's in the table.
    try {
        buildAirRing();
    } catch (...) {
        p.airRing.reset();
    }
    return true;
}

bool buildSun() {
    PlanetObjects& p = gPlanets;
    return buildBody(p.sunReserved, p.sunMaterial, p.sunTexture, p.sun, "Creating sun", kSunBitmap,
                     "suntex", kSunRadius, true);
}

bool buildMoon() {
    PlanetObjects& p = gPlanets;
    return buildBody(p.moonReserved, p.moonMaterial, p.moonTexture, p.moon, "Creating moon",
                     kMoonBitmap, "moontex", kMoonRadius, false);
}

void setEarthSurface(bool nightLights, bool atmosphere) {
    PlanetObjects& p = gPlanets;
    if (!p.earthReserved) return;
    const bool shaded = nightLights || atmosphere;
    for (uint32_t i = 0; i < kEarthPatches; ++i)
        p.renderer->material(p.earthMaterial0 + i)
            .setSurface(shaded ? SurfaceShading::Planet : SurfaceShading::None,
                        nightLights ? p.nightTextures[i].get() : nullptr,
                        atmosphere ? kAirRimStrength : 0.0f);
}

void setEarthSpecularLevel(float level) {
    PlanetObjects& p = gPlanets;
    if (!p.earthReserved) return;
    for (uint32_t i = 0; i < kEarthPatches; ++i)
        p.renderer->material(p.earthMaterial0 + i).setSpecular(level, level, level, 1);
}

void setEarthSpecularPower(float power) {
    PlanetObjects& p = gPlanets;
    if (!p.earthReserved) return;
    for (uint32_t i = 0; i < kEarthPatches; ++i)
        p.renderer->material(p.earthMaterial0 + i).setPower(power);
}

} // namespace gv
