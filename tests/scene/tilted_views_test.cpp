// On the tilted earth ("TRUE SEASONS") what stands over a place turns with
// it: the user view, its up direction and its crosshair. The checks use the
// sun's altitude at the view's place, worked out by hand for the midnight sun
// over Greenland on 21 June (80° N, 40° W, 02:40 UTC: the sun at its lower
// culmination, 80.49 + 23.44 - 90 = 13.9° for the views' point 0.49° north).
#include "clock_samples.h"
#include "recording_scene.h"

#include "core/angles.h"
#include "scene/calendar.h"
#include "scene/earth_frame.h"
#include "scene/planet_motion.h"
#include "scene/user_crosshair.h"
#include "support/os_calls.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace gv;

namespace {

constexpr float kDeg = 0.017453292f;

ClockSample midsummerNight() {
    return test::sampleAt(test::utcTime(2024, 6, 21, 2, 40));
}

float sunAltitudeDeg(const SceneState& s, const Vector3& worldPoint) {
    const Vector3 up = normalize(worldPoint - s.earthPosition);
    const Vector3 toSun = normalize(-1.0f * s.earthPosition);
    return std::asin(dot(up, toSun)) / kDeg;
}

struct TiltedViews : gv::testing::RecordingScene {
    SceneState scene;
    CameraSystem* cams = nullptr;

    void SetUp() override {
        RecordingScene::SetUp();
        prefs.cameraChangingAutomatic = 0;
        prefs.currentCamera = kUserView;
        prefs.userLatitude = 80.0f * kDeg;
        prefs.userLongitude = -40.0f * kDeg;
        updateTrueEarth(scene, midsummerNight(), 1300, 1.0f);
        bool failedMain = true;
        ASSERT_TRUE(createCameras(prefs, 1280, 720, scene.earthPosition, failedMain));
        cams = &cameras();
        CameraInputs& in = cams->inputs;
        in.earthPosition = scene.earthPosition;
        in.earthYaw = scene.earthYaw;
        in.earthTilted = true;
        in.earthRotation = scene.earthTransform;
        in.earthAxis = scene.earthAxis;
    }
};

TEST_F(TiltedViews, TheUserViewStandsOverItsPlaceOnTheTiltedEarthWithNorthUp) {
    updateCameras(*cams, 16, 16);
    const Camera& main = *cams->main;
    EXPECT_NEAR(distance(main.position(), scene.earthPosition), 500.0f, 1e-2f);
    // Over the ice in the midnight sun; untilted it would be 10° below.
    EXPECT_NEAR(sunAltitudeDeg(scene, main.position()), 13.9f, 0.5f);

    // The picture's up is the earth's north: the view matrix's y axis
    // (column 1) is the axis less its part along the line of sight.
    const Matrix4& v = main.view();
    const Vector3 screenUp{v.m[0][1], v.m[1][1], v.m[2][1]};
    const Vector3 sight = normalize(scene.earthPosition - main.position());
    const Vector3 north = normalize(scene.earthAxis - dot(scene.earthAxis, sight) * sight);
    EXPECT_NEAR(dot(screenUp, north), 1.0f, 1e-4f);

    // Not following the earth, the view stands still in the world: the
    // latitude and longitude are the scene's, about its y axis.
    prefs.userCameraFollowsEarth = 0;
    updateCameras(*cams, 16, 16);
    const Vector3 still = normalize(cams->main->position() - scene.earthPosition);
    EXPECT_NEAR(still.y, std::sin(80.0f * kDeg + 0.0085f), 1e-3f);
    const Matrix4& w = cams->main->view();
    EXPECT_NEAR(dot(Vector3{w.m[0][1], w.m[1][1], w.m[2][1]},
                    normalize(Vector3{0, 1, 0} - still.y * still)),
                1.0f, 1e-3f);
}

// A view over the place where the axis points at the ecliptic's pole (66.56°
// N at the right hour) looks along world y: it must keep a usable up.
TEST_F(TiltedViews, AViewAlongTheWorldsAxisStillHasAnUp) {
    const GeoPoint pole = geoPointOf(worldToEarth(scene.earthTransform, {0.0f, 1.0f, 0.0f}));
    prefs.userLatitude = pole.latitude - 0.0085f;
    prefs.userLongitude = pole.longitude;
    updateCameras(*cams, 16, 16);
    const Matrix4& v = cams->main->view();
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_TRUE(std::isfinite(v.m[i][j]));
    EXPECT_NEAR(v.m[0][1] * v.m[0][1] + v.m[1][1] * v.m[1][1] + v.m[2][1] * v.m[2][1], 1.0f, 1e-3f);
}

// The crosshair's meridian arms run through the earth's poles: they lie in
// the plane of the axis and the point below the view.
TEST_F(TiltedViews, TheCrosshairFollowsTheMeridianOfTheTiltedEarth) {
    for (bool follows : {true, false}) {
        prefs.userCameraFollowsEarth = follows ? 1 : 0;
        updateCameras(*cams, 16, 16);
        backend->clearLog();
        drawUserViewCrosshair(*renderer, scene, prefs);
        ASSERT_EQ(backend->draws.size(), 32u);
        const Vector3 below = normalize(cams->main->position() - scene.earthPosition);
        const Vector3 across = normalize(cross(scene.earthAxis, below));
        for (std::size_t i = 0; i < backend->draws.size(); ++i)
            for (const UnlitVertex& u : backend->draws[i].unlit) {
                const Vector3 p = transformPoint({u.x, u.y, u.z}, backend->draws[i].world);
                EXPECT_NEAR(distance(p, scene.earthPosition), kCrosshairRadius, 1e-2f);
                if (i < 16) {
                    EXPECT_NEAR(dot(p - scene.earthPosition, across), 0.0f, 0.05f)
                        << "segment " << i;
                }
            }
    }
}

TEST(GroundBelow, AViewStandingStillSeesTheEarthTurnEastwardsUnderIt) {
    // Untilted, turned by 1 radian: the ground below a still view at
    // longitude 0.2 is 0.2 - 1 radians, the latitude unchanged (but for the
    // views' 1.57 in place of π/2, 0.0008 radians).
    SceneState s;
    s.earthTransform.setIdentity();
    s.earthTransform.rotate(0.0f, 1.0f, 0.0f);
    const GeoPoint p = groundBelow(s, 0.3f, 0.2f);
    EXPECT_NEAR(p.latitude, 0.3f, 1e-3f);
    EXPECT_NEAR(p.longitude, -0.8f, 1e-5f);
}

TEST(EarthFrame, PlacesAndDirectionsRoundTrip) {
    // Longitude 0 lies at azimuth π (the tiles start at 180° W), north up.
    const Vector3 greenwich = earthFrameDirection(0.0f, 0.0f);
    EXPECT_NEAR(greenwich.x, -1.0f, 1e-6f);
    EXPECT_NEAR(greenwich.z, 0.0f, 1e-6f);
    EXPECT_NEAR(earthFrameDirection(90.0f * kDeg, 1.0f).y, 1.0f, 1e-6f);
    for (float lat = -80.0f; lat <= 80.0f; lat += 20.0f)
        for (float lon = -170.0f; lon <= 180.0f; lon += 35.0f) {
            const GeoPoint p = geoPointOf(earthFrameDirection(lat * kDeg, lon * kDeg));
            EXPECT_NEAR(p.latitude, lat * kDeg, 1e-5f);
            EXPECT_NEAR(std::fabs(wrapSigned(p.longitude - lon * kDeg)), 0.0f, 1e-5f);
        }
    // The rotation and its transpose undo each other and keep lengths.
    const Matrix4 r = tiltedEarthRotation(1.234, 0.409, 1.0);
    const Vector3 v{0.3f, -0.5f, 0.8f};
    const Vector3 back = worldToEarth(r, earthToWorld(r, v));
    EXPECT_NEAR(distance(back, v), 0.0f, 1e-5f);
    EXPECT_NEAR(length(earthToWorld(r, v)), length(v), 1e-5f);
}

} // namespace
