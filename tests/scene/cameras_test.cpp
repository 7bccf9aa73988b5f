#include "recording_scene.h"

#include "core/angles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace gv;

namespace {

struct Posted {
    uint32_t ms;
    std::string title, subtitle;
};
std::vector<Posted> gPosted;

void record(uint32_t ms, const char* title, const char* subtitle) {
    gPosted.push_back({ms, title, subtitle});
}

struct Cameras : gv::testing::RecordingScene {
    CameraSystem* cams = nullptr;
    const Vector3 earth{1300.0f, 0.0f, 0.0f};

    void SetUp() override {
        RecordingScene::SetUp();
        gPosted.clear();
        prefs.cameraChangingAutomatic = 0;
        bool failedMain = true;
        ASSERT_TRUE(createCameras(prefs, 1280, 720, earth, failedMain));
        EXPECT_FALSE(failedMain);
        cams = &cameras();
        cams->post = record;
        cams->inputs.earthPosition = earth;
        cams->inputs.moonPosition = earth + Vector3{0.0f, 0.0f, 300.0f};
    }
    // Frames of ms milliseconds (measured and smoothed alike).
    void frames(int count, uint32_t ms) {
        for (int i = 0; i < count; ++i)
            updateCameras(*cams, ms, ms);
    }
    bool posted(const std::string& title, const std::string& subtitle = "") const {
        for (const Posted& p : gPosted)
            if (p.title == title && (subtitle.empty() || p.subtitle == subtitle)) return true;
        return false;
    }
    Vector3 recordPosition(int i) const { return cams->records[size_t(i)]->position(); }
};

void expectNear(const Vector3& a, const Vector3& b, float tol = 1e-2f) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
}

} // namespace

TEST_F(Cameras, RecordsArePlacedByTheirFormulas) {
    prefs.cameras[0].orbitAngle = 0.5f;
    prefs.cameras[1].orbitAngle = 1.0f;
    prefs.cameras[2].orbitAngle = 2.0f;
    prefs.cameras[3].orbitAngle = 3.0f;
    for (int i = 0; i < 6; ++i)
        placeRecord(*cams, i, 0.0f);
    // Orbit 1: sin 0.5 = 0.479426, cos 0.5 = 0.877583, 560 out.
    expectNear(recordPosition(0), {1568.478f, 0.0f, 491.446f});
    // Orbit 2: sin 1 = 0.841471, cos 1 = 0.540302, 650 out, height
    // cos 0.5 * 650 * 0.75 = 427.821.
    expectNear(recordPosition(1), {1846.956f, 427.821f, 351.196f});
    // Orbits 3 and 4, 400 out and 400 above or below: sin 2 = 0.909297,
    // cos 2 = -0.416147, sin 3 = 0.141120, cos 3 = -0.989992.
    expectNear(recordPosition(2), {1663.719f, 400.0f, -166.459f});
    expectNear(recordPosition(3), {1356.448f, -400.0f, -395.997f});
    // Beyond the sun (the origin) on the line from the earth, shifted by
    // the sun size 3 (further out and down, the earth standing on +x).
    expectNear(recordPosition(4), {-192.0f - 288.0f, -144.0f, 0.0f});
    expectNear(recordPosition(5), earth + Vector3{0.0f, 0.0f, 620.0f});
    // Every record looks at the earth.
    for (int i = 0; i < 6; ++i)
        expectNear(cams->records[size_t(i)]->target(), earth);

    // The user view over latitude 0, longitude 0 follows the earth's spin.
    prefs.userLatitude = 0.0f;
    prefs.userLongitude = 0.0f;
    cams->inputs.earthYaw = 0.0f;
    placeRecord(*cams, kUserView, 0.0f);
    const Vector3 still = recordPosition(kUserView) - earth;
    EXPECT_NEAR(length(still), 500.0f, 0.01f);
    EXPECT_NEAR(still.x, -500.0f, 0.1f); // sin(p) < 0: the point opposite azimuth 0
    cams->inputs.earthYaw = 0.3f;
    placeRecord(*cams, kUserView, 0.0f);
    const Vector3 turned = recordPosition(kUserView) - earth;
    EXPECT_NEAR(wrapSigned(std::atan2(turned.z, turned.x) - std::atan2(still.z, still.x)), 0.3f,
                1e-3f);
    prefs.userCameraFollowsEarth = 0;
    placeRecord(*cams, kUserView, 0.0f);
    expectNear(recordPosition(kUserView) - earth, still);
}

// The sun (the origin) as record 4's camera sees it: right, up, ahead.
Vector3 sunInSunView(CameraSystem& cams, const Vector3& earth) {
    cams.inputs.earthPosition = earth;
    placeRecord(cams, 4, 0.0f);
    return transformPoint({0.0f, 0.0f, 0.0f}, cams.records[4]->view());
}

TEST_F(Cameras, SunViewSeesTheSunAboveTheEarthOnEveryDate) {
    // On 1 January at 00:00 UTC the earth stands at (1300, 0, 0) and the
    // shift's axes are the scene's: with "NORMAL" (3) the camera is at
    // (-192 - 288, -144, 0). It looks at the earth along d = (1780, 144, 0),
    // |d| = 1785.815; the sun is s = (480, 144, 0) from it: right s.x' = 0
    // (x' = (0, 0, -1)), up (-480 * 144 + 144 * 1780) / 1785.815 = 104.826,
    // ahead (480 * 1780 + 144 * 144) / 1785.815 = 490.046.
    const Vector3 reference{0.0f, 104.826f, 490.046f};
    // Orbit angles (day of year + fraction of the UTC day) * 0.0172142:
    // 1 January 00:00, 20 March 12:00 (day 78.5), 21 June 12:00 (171.5),
    // 23 September 12:00 (265.5), 21 December 12:00 (354.5).
    for (float day : {0.0f, 78.5f, 171.5f, 265.5f, 354.5f}) {
        const float theta = day * 0.0172142f;
        const Vector3 e{std::cos(theta) * 1300.0f, 0.0f, std::sin(theta) * 1300.0f};
        expectNear(sunInSunView(*cams, e), reference, 0.05f);
        const SunOnScreen s = projectSun({}, *cams->records[4], 1280.0f, 720.0f);
        ASSERT_TRUE(s.inFront) << day;
        EXPECT_NEAR(s.sx, 640.0f, 0.5f) << day;
        EXPECT_GT(s.sy, 360.0f) << day; // above the middle (sy counts upward)
        EXPECT_LT(s.sy, 720.0f) << day;
    }
    // The smallest and the largest sun on 21 June: camera (192 + 96 z) out
    // and 48 z down. "TINY": s = (288, 48, 0), d = (1588, 48, 0), |d| =
    // 1588.725: up 39.279, ahead 289.321. "HUGE": s = (672, 240, 0),
    // d = (1972, 240, 0), |d| = 1986.551: up 157.057, ahead 696.069.
    const float june = 171.5f * 0.0172142f;
    const Vector3 e{std::cos(june) * 1300.0f, 0.0f, std::sin(june) * 1300.0f};
    prefs.sunSize = 1;
    expectNear(sunInSunView(*cams, e), {0.0f, 39.279f, 289.321f}, 0.05f);
    prefs.sunSize = 5;
    expectNear(sunInSunView(*cams, e), {0.0f, 157.057f, 696.069f}, 0.05f);
}

TEST_F(Cameras, OrbitAnglesAdvanceWithTheFrameTime) {
    placeRecord(*cams, 0, 1000.0f);
    placeRecord(*cams, 1, 1000.0f);
    placeRecord(*cams, 4, 1000.0f);
    EXPECT_FLOAT_EQ(prefs.cameras[0].orbitAngle, 0.2f);
    EXPECT_FLOAT_EQ(prefs.cameras[1].orbitAngle, -0.4f);
    EXPECT_EQ(prefs.cameras[4].orbitAngle, 0.0f);
}

TEST_F(Cameras, SmoothGlideTakesTwoSecondsAndAnnouncesItsEnd) {
    EXPECT_FLOAT_EQ(transitionRate(0), 0.0001f);
    EXPECT_FLOAT_EQ(transitionRate(1), 0.0005f);
    EXPECT_FLOAT_EQ(transitionRate(2), 0.0025f);
    EXPECT_FLOAT_EQ(transitionRate(3), 0.01f);
    EXPECT_FLOAT_EQ(transitionRate(4), 0.1f);
    prefs.cameras[0].orbitSpeed = 0.0f;
    prefs.cameras[1].orbitSpeed = 0.0f;
    frames(1, 40);
    expectNear(cams->main->position(), recordPosition(0));
    ASSERT_TRUE(selectAdjacentCamera(*cams, true));
    EXPECT_TRUE(posted("CAMERA SELECTED", "Orbit 2"));
    int framesToEnd = 0;
    float closest = 1e9f;
    for (; framesToEnd < 100 && !posted("CAMERA CHANGING", "COMPLETED"); ++framesToEnd) {
        updateCameras(*cams, 40, 40);
        closest = std::min(closest, distance(cams->main->position(), earth));
    }
    // 0.0005 per ms at 40 ms frames: 0.02 a frame, 50 frames, 2 seconds
    // (one frame more when the single-precision sum stops just short of 1).
    EXPECT_GE(framesToEnd, 50);
    EXPECT_LE(framesToEnd, 51);
    EXPECT_GE(closest, 200.0f);
    EXPECT_EQ(cams->t, 0.0f);
    EXPECT_EQ(cams->previous, 1);
    expectNear(cams->main->position(), recordPosition(1));
    EXPECT_FALSE(posted("COURSE CORRECTION"));
}

TEST_F(Cameras, GlideEasesInAndOutBetweenTheEnds) {
    prefs.cameras[0].orbitSpeed = 0.0f;
    prefs.cameras[2].orbitSpeed = 0.0f;
    frames(1, 40);
    selectCamera(*cams, 2);
    frames(1, 40);
    placeRecord(*cams, 2, 0.0f);
    const Vector3 a = recordPosition(0), b = recordPosition(2);
    // t = 0.02 after one 40 ms frame: P0 + (3t² - 2t³)(P1 - P0).
    const float t = cams->t;
    EXPECT_FLOAT_EQ(t, 0.02f);
    const float s = 3 * t * t - 2 * t * t * t;
    expectNear(cams->main->position(), a + scale(b - a, s));
}

TEST_F(Cameras, SuperRoughFinishesInOneFrame) {
    prefs.cameraSmoothness = 4;
    frames(1, 10);
    selectCamera(*cams, 3);
    frames(1, 10);
    EXPECT_EQ(cams->t, 0.0f);
    EXPECT_EQ(cams->previous, 3);
    EXPECT_TRUE(posted("CAMERA CHANGING", "COMPLETED"));
}

TEST_F(Cameras, GlideThroughTheEarthIsPushedOutAndReported) {
    // Records 0 and 1 on opposite sides, in the orbit plane.
    prefs.cameras[0].orbitSpeed = 0.0f;
    prefs.cameras[1].orbitSpeed = 0.0f;
    prefs.cameras[1].orbitAngle = kPi;
    frames(1, 40);
    selectCamera(*cams, 1);
    float closest = 1e9f;
    while (!posted("CAMERA CHANGING")) {
        updateCameras(*cams, 40, 40);
        closest = std::min(closest, distance(cams->main->position(), earth));
    }
    EXPECT_NEAR(closest, 200.0f, 0.01f);
    // Each frame it acts it reports the share of the floor it made up, for
    // 250 ms.
    bool sawPercent = false;
    for (const Posted& p : gPosted)
        if (p.title == "COURSE CORRECTION") {
            EXPECT_EQ(p.ms, 250u);
            EXPECT_NE(p.subtitle.find(" percent"), std::string::npos);
            sawPercent = true;
        }
    EXPECT_TRUE(sawPercent);

    Vector3 inside = earth + Vector3{100.0f, 0.0f, 0.0f};
    EXPECT_FLOAT_EQ(correctCourse(inside, earth), 0.5f);
    expectNear(inside, earth + Vector3{200.0f, 0.0f, 0.0f});
    Vector3 outside = earth + Vector3{0.0f, 250.0f, 0.0f};
    EXPECT_EQ(correctCourse(outside, earth), 0.0f);
}

TEST_F(Cameras, AutomaticChangeVisitsTheFirstSixRecords) {
    prefs.cameraChangingAutomatic = 1;
    prefs.cameraChangeTime = 1000;
    prefs.cameraSmoothness = 4;
    prefs.currentCamera = 4;
    cams->previous = 4;
    frames(10, 100);
    EXPECT_EQ(prefs.currentCamera, 5);
    EXPECT_TRUE(posted("CAMERA SELECTED", "Moon view"));
    frames(10, 100);
    EXPECT_EQ(prefs.currentCamera, 0);

    // From the location view the next change goes to record 0.
    selectCamera(*cams, kLocationView);
    frames(12, 100);
    EXPECT_EQ(prefs.currentCamera, 0);

    // On the user view the timer stands still.
    selectCamera(*cams, kUserView);
    frames(50, 100);
    EXPECT_EQ(prefs.currentCamera, kUserView);

    // Shortening the time below the timer changes on the next frame.
    selectCamera(*cams, 2);
    cams->timerMs = 0;
    frames(8, 100);
    EXPECT_EQ(prefs.currentCamera, 2);
    prefs.cameraChangeTime = 500;
    frames(1, 10);
    EXPECT_EQ(prefs.currentCamera, 3);
}

TEST_F(Cameras, KeysVisitZeroToSixAndWaitForAGlideToEnd) {
    prefs.currentCamera = kUserView;
    cams->previous = kUserView;
    ASSERT_TRUE(selectAdjacentCamera(*cams, true));
    EXPECT_EQ(prefs.currentCamera, 0);
    EXPECT_TRUE(cams->restart);
    // A glide is running now: the keys are refused.
    frames(1, 40);
    ASSERT_NE(cams->t, 0.0f);
    gPosted.clear();
    EXPECT_FALSE(selectAdjacentCamera(*cams, true));
    EXPECT_EQ(prefs.currentCamera, 0);
    EXPECT_TRUE(posted("CAMERA CHANGING IN COURSE", "NAVIGATION SYSTEM BUSY"));
    frames(60, 40);
    ASSERT_EQ(cams->t, 0.0f);
    ASSERT_TRUE(selectAdjacentCamera(*cams, false));
    EXPECT_EQ(prefs.currentCamera, kUserView);
    EXPECT_EQ(gPosted.back().ms, prefs.messageTime);
}

TEST_F(Cameras, MainCameraStartsAtTheEarthWithTheRecordsPlanes) {
    EXPECT_EQ(cams->main->farPlane(), 3500.0f);
    EXPECT_EQ(cams->main->nearPlane(), 1.0f);
    expectNear(cams->main->position(), earth);
    setFov(*cams, 1.2f);
    EXPECT_FLOAT_EQ(cams->main->fov(), 1.2f);
    EXPECT_FLOAT_EQ(prefs.fieldOfView, 1.2f);
}
