// A place's marker point, put on the turning globe by the markers' formula,
// must land on that place in the earth's texture: the point is carried back
// into the earth mesh's own frame, the mesh face under it gives the texture
// coordinates and the tile, and the built-in tile there has the place's
// colour.
#include "recording_scene.h"

#include "engine/bitmap.h"
#include "scene/planet_motion.h"
#include "scene/sim_clock.h"
#include "support/os_calls.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

using namespace gv;
using gv::testing::RecordingScene;

namespace {

using Geography = RecordingScene;

// The markers' surface point for a place, in world units.
Vector3 markerPoint(const SceneState& s, float latitudeDeg, float longitudeDeg) {
    const float phi = latitudeDeg * 0.017453292f + 0.0085f;
    const float lambda = longitudeDeg * 0.017453292f;
    const float theta = phi - 1.57f;
    const float rho = s.earthYaw;
    return s.earthPosition + Vector3{std::cos(rho + lambda) * std::sin(theta) * 129.28f,
                                     std::cos(theta) * 129.28f,
                                     std::sin(rho + lambda) * std::sin(theta) * 129.28f};
}

// World point -> the earth mesh's frame: undo the translation, then the spin.
Vector3 intoEarthFrame(const SceneState& s, const Vector3& world) {
    const Vector3 p = world - s.earthPosition;
    Matrix4 undo;
    undo.setRotationY(-s.earthYaw);
    return transformPoint(p, undo);
}

struct TexturePoint {
    int tile; // 0..7
    float u, v;
};

// The face that the ray from the centre through p crosses, and the texture
// coordinates interpolated there.
std::optional<TexturePoint> textureAt(const Mesh& mesh, const Vector3& p) {
    const Vector3 dir = normalize(p);
    const auto& v = mesh.vertices();
    for (const MeshFace& f : mesh.faces()) {
        const Vector3 a{v[f.a].x, v[f.a].y, v[f.a].z}, b{v[f.b].x, v[f.b].y, v[f.b].z},
            c{v[f.c].x, v[f.c].y, v[f.c].z};
        // Ray-triangle (Moller-Trumbore) from the origin.
        const Vector3 e1 = b - a, e2 = c - a;
        const Vector3 h = cross(dir, e2);
        const float det = dot(e1, h);
        if (std::fabs(det) < 1e-9f) continue;
        const Vector3 s = scale(a, -1.0f);
        const float bu = dot(s, h) / det;
        const Vector3 q = cross(s, e1);
        const float bv = dot(dir, q) / det;
        const float t = dot(e2, q) / det;
        if (bu < -1e-5f || bv < -1e-5f || bu + bv > 1.0f + 1e-5f || t <= 0.0f) continue;
        const float bw = 1.0f - bu - bv;
        return TexturePoint{f.material, bw * v[f.a].u + bu * v[f.b].u + bv * v[f.c].u,
                            bw * v[f.a].v + bu * v[f.b].v + bv * v[f.c].v};
    }
    return std::nullopt;
}

struct Rgb {
    int r, g, b;
};

// Mean colour of a 5 x 5 block of the tile around (u, v).
Rgb tileColour(const TexturePoint& tp) {
    const std::optional<Bitmap> bmp = loadBitmapResource(111 + uint32_t(tp.tile));
    EXPECT_TRUE(bmp.has_value());
    if (!bmp) return {0, 0, 0};
    const int cx = int(tp.u * float(bmp->width - 1)), cy = int(tp.v * float(bmp->height - 1));
    int r = 0, g = 0, b = 0, n = 0;
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
            const int x = std::clamp(cx + dx, 0, int(bmp->width) - 1);
            const int y = std::clamp(cy + dy, 0, int(bmp->height) - 1);
            const size_t i = (size_t(y) * bmp->width + size_t(x)) * 3;
            r += bmp->rgb[i];
            g += bmp->rgb[i + 1];
            b += bmp->rgb[i + 2];
            ++n;
        }
    return {r / n, g / n, b / n};
}

struct Place {
    const char* name;
    float latitude, longitude;
    bool (*looksRight)(const Rgb&);
};

bool sand(const Rgb& c) {
    return c.r > 150 && c.r > c.b + 40 && c.g > c.b;
}
bool ocean(const Rgb& c) {
    return c.b > c.r + 20 && c.b > c.g && c.r < 80;
}
bool ice(const Rgb& c) {
    return c.r > 180 && c.g > 180 && c.b > 180;
}
bool forest(const Rgb& c) {
    return c.g > c.r && c.g > c.b && c.r < 120;
}

const Place kPlaces[] = {
    {"Sahara (Algeria)", 24.0f, 5.0f, sand},     {"Rub' al Khali", 20.5f, 50.0f, sand},
    {"mid-Atlantic", 30.0f, -40.0f, ocean},      {"south Pacific", -40.0f, -130.0f, ocean},
    {"Greenland ice sheet", 75.0f, -40.0f, ice}, {"Antarctica", -80.0f, 60.0f, ice},
    {"Amazon forest", -4.0f, -62.0f, forest},    {"Congo forest", 0.5f, 22.0f, forest},
};

} // namespace

TEST_F(Geography, MarkerPointsLandOnTheirPlacesInTheTexture) {
    auto earth = buildEightPatchSphere(*renderer, 128.0f, meshResolution(6), 0);
    ASSERT_TRUE(earth);
    // Several instants: the spin and the orbit must carry marker and texture
    // together.
    struct Instant {
        const char* text;
        int month, day, hour, minute;
    };
    for (const Instant& i :
         {Instant{"2026-03-20 12:00", 3, 20, 12, 0}, Instant{"2026-06-21 03:00", 6, 21, 3, 0},
          Instant{"2026-12-21 18:30", 12, 21, 18, 30}}) {
        const char* when = i.text;
        std::tm utc{};
        utc.tm_year = 2026 - 1900;
        utc.tm_mon = i.month - 1;
        utc.tm_mday = i.day;
        utc.tm_hour = i.hour;
        utc.tm_min = i.minute;
        const std::time_t t = test::utcSeconds(utc);
        SceneState state;
        updateEarth(state, sampleClock(t, 0), 1300u);
        for (const Place& place : kPlaces) {
            const Vector3 local =
                intoEarthFrame(state, markerPoint(state, place.latitude, place.longitude));
            const auto tp = textureAt(*earth, local);
            ASSERT_TRUE(tp) << place.name;
            const Rgb c = tileColour(*tp);
            EXPECT_TRUE(place.looksRight(c))
                << place.name << " at " << when << ": tile " << 111 + tp->tile << " u " << tp->u
                << " v " << tp->v << " colour " << c.r << "," << c.g << "," << c.b;
        }
    }
}
