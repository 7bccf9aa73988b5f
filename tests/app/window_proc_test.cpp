#include "app/camera_services.h"
#include "app/driver.h"
#include "app/locations_services.h"
#include "app/preferences_file.h"
#include "app/window_proc.h"
#include "core/angles.h"
#include "scene/cameras.h"
#include "tests/ui/fake_ui_host.h"
#include "ui/help_overlay.h"
#include "ui/screenshot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace gv {
namespace {

using namespace platform;
using Message = std::pair<std::string, std::string>;

class FakeInputServices : public testing::FakeUiHost,
                          public CameraServices,
                          public LocationsServices,
                          public PointerServices {
  public:
    float t = 0.0f;
    float spin = 0.0f;
    bool claim = false, takeEverything = false;
    std::vector<WindowMessage> offered;
    bool open = false, opening = false, closing = false;
    int opened = 0, closed = 0;
    std::vector<ScreenPoint> cursorMoves;
    std::vector<SystemCursor> cursors;
    ScreenPoint windowOrigin{100, 50};

    int adjacentSelections = 0;

    FakeInputServices() {
        setCameraServices(this);
        setLocationsServices(this);
        setPointerServices(this);
    }
    ~FakeInputServices() override {
        setCameraServices(nullptr);
        setLocationsServices(nullptr);
        setPointerServices(nullptr);
    }

    // The window procedure and the options share the live record.
    Preferences& preferences() override { return gv::prefs(); }
    float cameraTransition() override { return t; }
    // The real selection over the live record, as the program connects it.
    void selectAdjacentCamera(bool forward) override {
        ++adjacentSelections;
        CameraSystem& cams = cameras();
        cams.prefs = &gv::prefs();
        cams.t = t;
        cams.post = [](uint32_t, const char* title, const char* subtitle) {
            uiHost().postMessage(title, subtitle);
        };
        gv::selectAdjacentCamera(cams, forward);
    }
    GeoPoint groundBelow(float latitude, float longitude) override {
        // An earth turned by spin about its upright axis.
        return {latitude, gv::wrapSigned(longitude - spin)};
    }
    bool managerHasKeyboard() override { return claim; }
    bool managerHandleKey(const WindowMessage& msg) override {
        offered.push_back(msg);
        return takeEverything;
    }
    bool managerOpen() override { return open; }
    bool managerOpening() override { return opening; }
    bool managerClosing() override { return closing; }
    void openManager() override { ++opened; }
    void startClosingManager() override { ++closed; }
    ScreenPoint clientToScreen(int x, int y) override {
        return {windowOrigin.x + x, windowOrigin.y + y};
    }
    void setCursorPosition(ScreenPoint p) override { cursorMoves.push_back(p); }
    void setCursor(SystemCursor c) override { cursors.push_back(c); }
};

class WindowProc : public ::testing::Test {
  protected:
    FakeInputServices s;
    Preferences& p = prefs();

    void SetUp() override {
        resetPreferencesForRun();
        resetInputForRun();
        resetHelpForRun();
        resetScreenshotsForRun();
        helpLayout();
        driver().quitRequested = false;
        cameras().restart = false;
        driver().runMode = RunMode::Application;
        WindowMessage m;
        while (peekMessage(m)) {
        }
    }
    static bool quitPosted() {
        WindowMessage m;
        bool quit = false;
        while (peekMessage(m))
            quit = quit || m.message == WM_QUIT;
        return quit;
    }
    int64_t key(uint32_t vk) { return windowProc({WM_KEYDOWN, vk, 0}); }
    int64_t typed(char c) { return windowProc({WM_CHAR, uint64_t(uint8_t(c)), 0}); }
    Message last() const { return s.messages.empty() ? Message{} : s.messages.back(); }
    void openEverything() {
        key(VK_F3);
        key(VK_F1);
        for (int i = 0; i < 20; ++i)
            drawHelp(60);
        ASSERT_TRUE(helpPanel().shown) << helpPanel().panelX << " " << helpPanel().showing;
    }
};

TEST_F(WindowProc, EscapeClosesTheOptionsThenTheHelpThenQuits) {
    openEverything();
    key(VK_ESCAPE);
    EXPECT_FALSE(inputState().optionsVisible);
    EXPECT_FALSE(helpPanel().hiding);
    EXPECT_FALSE(driver().quitRequested);
    key(VK_ESCAPE);
    EXPECT_TRUE(helpPanel().hiding);
    EXPECT_FALSE(driver().quitRequested);
    key(VK_ESCAPE);
    EXPECT_TRUE(driver().quitRequested);
    // Escape posts no message of its own.
    EXPECT_EQ(last(), (Message{"HELP OVERLAY", "ON"}));
}

TEST_F(WindowProc, CloseAndDestroyRequestQuit) {
    windowProc({WM_CLOSE, 0, 0});
    EXPECT_TRUE(driver().quitRequested);
    driver().quitRequested = false;
    windowProc({WM_DESTROY, 0, 0});
    EXPECT_TRUE(driver().quitRequested);
}

TEST_F(WindowProc, ConventionalSaverEndsOnAnyKeyWithoutActingOrOnTheEleventhMove) {
    driver().runMode = RunMode::ScreenSaver;
    EXPECT_EQ(key(VK_F3), -1);
    EXPECT_TRUE(quitPosted());
    EXPECT_FALSE(inputState().optionsVisible);
    EXPECT_EQ(windowProc({WM_SYSKEYDOWN, VK_F10, 0}), -1);
    EXPECT_TRUE(quitPosted());
    EXPECT_EQ(p.cloudsOnLocationsManager, 1);
    EXPECT_EQ(typed('+'), -1);
    EXPECT_TRUE(quitPosted());
    EXPECT_EQ(p.ambientPercent, 5);
    EXPECT_TRUE(s.messages.empty());

    for (int i = 0; i < 10; ++i)
        windowProc({WM_MOUSEMOVE, 0, makePointParam(i, i)});
    EXPECT_FALSE(quitPosted());
    windowProc({WM_MOUSEMOVE, 0, makePointParam(11, 11)});
    EXPECT_TRUE(quitPosted());
    // A click alone is not movement.
    resetSaverMouseMoves();
    windowProc({WM_LBUTTONDOWN, MK_LBUTTON, 0});
    windowProc({WM_LBUTTONUP, 0, 0});
    EXPECT_FALSE(quitPosted());
}

TEST_F(WindowProc, EnhancedSaverBehavesAsTheApplication) {
    driver().runMode = RunMode::ScreenSaver;
    p.screenSaverEnhanced = 1;
    for (int i = 0; i < 20; ++i)
        windowProc({WM_MOUSEMOVE, 0, 0});
    EXPECT_EQ(key(VK_F3), 0);
    EXPECT_FALSE(quitPosted());
    EXPECT_TRUE(inputState().optionsVisible);
    EXPECT_EQ(last(), (Message{"OPTIONS OVERLAY", "ON"}));
    key(VK_F3);
    EXPECT_EQ(last(), (Message{"OPTIONS OVERLAY", "OFF"}));
}

TEST_F(WindowProc, CameraKeysVisitOrbitsToUserViewButNeverTheLocationsView) {
    key(VK_F7);
    EXPECT_EQ(p.currentCamera, 6);
    EXPECT_EQ(last(), (Message{"CAMERA SELECTED", "User view"}));
    EXPECT_TRUE(cameras().restart);
    key(VK_F8);
    EXPECT_EQ(p.currentCamera, 0);
    EXPECT_EQ(last(), (Message{"CAMERA SELECTED", "Orbit 1"}));
    for (int i = 0; i < 20; ++i) {
        key(i % 3 ? VK_F8 : VK_F7);
        EXPECT_NE(p.currentCamera, 7);
    }
    p.currentCamera = 7; // the manager's view
    key(VK_F8);
    EXPECT_EQ(p.currentCamera, 0);
    p.currentCamera = 7;
    key(VK_F7);
    EXPECT_EQ(p.currentCamera, 6);
}

TEST_F(WindowProc, ACameraNameFillingItsFieldIsReadNoFurther) {
    // 32 characters and no terminator, as an editor may write them; the
    // distance that follows in the record is 560 (0x230: '0', 0x02).
    const std::string name = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";
    for (int i : {0, 4}) {
        std::memcpy(p.cameras[i].cameraName, name.data(), 32);
        p.cameras[i].distance = 560;
    }
    key(VK_SPACE);
    EXPECT_EQ(last(), (Message{"CURRENT CAMERA", name}));
    key(VK_F6);
    EXPECT_EQ(last(), (Message{name + " DISTANCE", "570"}));
    key(VK_F12);
    EXPECT_EQ(last().first, name + " SPEED");
    p.currentCamera = 4;
    key(VK_F5);
    EXPECT_EQ(last(), (Message{name + " is a static view", " "}));
    key(VK_F11);
    EXPECT_EQ(last(), (Message{name + " doesn't have orbit speed control", " "}));
    p.currentCamera = 3;
    key(VK_F8); // the cameras' own message names the selected camera
    EXPECT_EQ(last(), (Message{"CAMERA SELECTED", name}));
}

TEST_F(WindowProc, DuringATransitionCameraAndManagerKeysOnlySayTheyAreBusy) {
    s.t = 0.25f;
    const Message busy{"CAMERA CHANGING IN COURSE", "NAVIGATION SYSTEM BUSY"};
    for (uint32_t vk : {VK_F7, VK_F8, VK_F4}) {
        s.messages.clear();
        key(vk);
        EXPECT_EQ(s.messages, std::vector<Message>{busy});
    }
    EXPECT_EQ(p.currentCamera, 0);
    EXPECT_FALSE(cameras().restart);
    EXPECT_EQ(s.opened, 0);
    // Distance and speed are not camera changes.
    key(VK_F6);
    EXPECT_EQ(last(), (Message{"Orbit 1 DISTANCE", "570"}));
}

TEST_F(WindowProc, DistanceStepsByTenBetween200And1000AndStaticViewsRefuse) {
    p.currentCamera = 2;
    key(VK_F5);
    EXPECT_EQ(p.cameras[2].distance, 390);
    EXPECT_EQ(last(), (Message{"Orbit 3 DISTANCE", "390"}));
    for (int i = 0; i < 30; ++i)
        key(VK_F5);
    EXPECT_EQ(p.cameras[2].distance, 200);
    EXPECT_EQ(last(), (Message{"Orbit 3 DISTANCE", "200"}));
    for (int i = 0; i < 100; ++i)
        key(VK_F6);
    EXPECT_EQ(p.cameras[2].distance, 1000);
    // A distance from the file below the range is raised to it.
    p.cameras[2].distance = 195;
    key(VK_F5);
    EXPECT_EQ(p.cameras[2].distance, 200);

    for (int cam : {4, 5}) {
        p.currentCamera = cam;
        const int before = p.cameras[cam].distance;
        key(VK_F5);
        key(VK_F6);
        EXPECT_EQ(p.cameras[cam].distance, before);
    }
    EXPECT_EQ(last(), (Message{"Moon view is a static view", " "}));
}

TEST_F(WindowProc, OrbitSpeedStepsWithItsTwoFormatsAndOnlyOrbitsHaveIt) {
    key(VK_F11);
    EXPECT_FLOAT_EQ(p.cameras[0].orbitSpeed, 0.00018f);
    EXPECT_EQ(last(), (Message{"Orbit 1 SPEED", "9.00 percent"}));
    key(VK_F12);
    key(VK_F12);
    EXPECT_EQ(last(), (Message{"Orbit 1 SPEED", "11.0 percent"}));
    for (int i = 0; i < 200; ++i)
        key(VK_F12);
    EXPECT_LE(p.cameras[0].orbitSpeed, 0.002f + 0.00002f);
    EXPECT_GE(p.cameras[0].orbitSpeed, 0.002f - 0.00002f);
    for (int i = 0; i < 400; ++i)
        key(VK_F11);
    EXPECT_GE(p.cameras[0].orbitSpeed, -0.002f - 0.00002f);

    for (int cam = 4; cam < 8; ++cam) {
        p.currentCamera = cam;
        key(VK_F11);
        key(VK_F12);
        EXPECT_EQ(p.cameras[cam].orbitSpeed, 0.0f);
    }
    EXPECT_EQ(last(), (Message{"Loc view* doesn't have orbit speed control", " "}));
    p.currentCamera = 4;
    key(VK_F12);
    EXPECT_EQ(last(), (Message{"Sun view doesn't have orbit speed control", " "}));
}

TEST_F(WindowProc, TogglesAndTheirMessages) {
    key(VK_F9);
    EXPECT_EQ(p.cloudsShown, 0);
    EXPECT_EQ(last(), (Message{"CLOUDS", "OFF"}));
    // F10 arrives as a system key and is answered so no menu opens.
    EXPECT_EQ(windowProc({WM_SYSKEYDOWN, VK_F10, 0}), -1);
    EXPECT_EQ(p.cloudsOnLocationsManager, 0);
    EXPECT_EQ(last(), (Message{"CLOUDS ON LOCATIONS MANAGER", "OFF"}));
    EXPECT_EQ(windowProc({WM_SYSKEYDOWN, VK_MENU, 0}), 0);
    p.currentCamera = 3;
    key(VK_SPACE);
    EXPECT_EQ(last(), (Message{"CURRENT CAMERA", "Orbit 4"}));
    key(VK_F2);
    EXPECT_TRUE(screenshotRequested());
    key(VK_F1);
    EXPECT_TRUE(helpPanel().showing);
    EXPECT_EQ(last(), (Message{"HELP OVERLAY", "ON"}));
}

TEST_F(WindowProc, AmbientLightFollowsTypedCharactersOnly) {
    key(VK_INSERT);
    key(VK_OEM_PLUS);
    key(VK_ADD);
    EXPECT_EQ(p.ambientPercent, 5);
    EXPECT_TRUE(s.ambients.empty());
    typed('+');
    typed('=');
    EXPECT_EQ(p.ambientPercent, 7);
    EXPECT_FLOAT_EQ(s.ambients.back(), 0.07f);
    EXPECT_EQ(last(), (Message{"AMBIENT LIGHT", "7%"}));
    for (int i = 0; i < 10; ++i)
        typed('-');
    EXPECT_EQ(p.ambientPercent, 0);
    EXPECT_EQ(last(), (Message{"AMBIENT LIGHT", "0%"}));
    p.ambientPercent = 100;
    typed('+');
    EXPECT_EQ(p.ambientPercent, 100);
}

TEST_F(WindowProc, ArrowsAndEnterReachTheOptionsOnlyWhileTheyAreShown) {
    key(VK_RIGHT);
    key(VK_END);
    EXPECT_EQ(p.optionsSelection, 0);
    key(VK_F3);
    key(VK_END);
    EXPECT_EQ(p.optionsSelection, 44); // the last of the 45 entries
    p.optionsSelection = 14; // "SUN SIZE"
    key(VK_UP);
    EXPECT_EQ(p.sunSize, 4);
    key(VK_DOWN);
    key(VK_DOWN);
    EXPECT_EQ(p.sunSize, 2);
    key(VK_LEFT);
    EXPECT_EQ(p.optionsSelection, 13);
    key(VK_HOME);
    EXPECT_EQ(p.optionsSelection, 0);
}

TEST_F(WindowProc, LocationsManagerKeyOpensClosesOrWaits) {
    key(VK_F3);
    key(VK_F4);
    EXPECT_EQ(s.opened, 1);
    EXPECT_FALSE(inputState().optionsVisible) << "opening hides the options";
    EXPECT_EQ(last(), (Message{"LOCATIONS MANAGER OVERLAY", "ON"}));

    s.opening = true;
    s.messages.clear();
    key(VK_F4);
    EXPECT_EQ(s.opened, 1);
    EXPECT_TRUE(s.messages.empty());

    s.opening = false;
    s.open = true;
    key(VK_F4);
    EXPECT_EQ(s.closed, 1);
    EXPECT_EQ(last(), (Message{"LOCATIONS MANAGER OVERLAY", "OFF"}));
    s.closing = true;
    key(VK_F4);
    EXPECT_EQ(s.closed, 1);
}

TEST_F(WindowProc, WhileTheManagerHoldsTheKeyboardOnlyTheSecondStageKeysRemain) {
    s.claim = true;
    s.takeEverything = true;
    key(VK_ESCAPE);
    EXPECT_FALSE(driver().quitRequested);
    EXPECT_EQ(s.offered.size(), 1u);

    s.takeEverything = false;
    key(VK_F3);
    key(VK_F9);
    typed('+');
    EXPECT_FALSE(inputState().optionsVisible);
    EXPECT_EQ(p.cloudsShown, 1);
    EXPECT_EQ(p.ambientPercent, 5);
    EXPECT_EQ(windowProc({WM_SYSKEYDOWN, VK_F10, 0}), -1);
    EXPECT_EQ(p.cloudsOnLocationsManager, 0);
    key(VK_F2);
    EXPECT_TRUE(screenshotRequested());
    key(VK_F1);
    EXPECT_TRUE(helpPanel().showing);
    key(VK_ESCAPE);
    EXPECT_TRUE(helpPanel().hiding);
    key(VK_ESCAPE);
    EXPECT_TRUE(driver().quitRequested);
    EXPECT_EQ(s.offered.size(), 9u) << "every message is offered to the manager first";
}

TEST_F(WindowProc, DraggingOutsideTheUserViewDoesNothing) {
    p.currentCamera = 0;
    windowProc({WM_LBUTTONDOWN, MK_LBUTTON, makePointParam(10, 10)});
    windowProc({WM_MOUSEMOVE, MK_LBUTTON, makePointParam(300, 200)});
    EXPECT_FALSE(inputState().mouseLook);
    EXPECT_TRUE(s.cursorMoves.empty());
    EXPECT_TRUE(s.messages.empty());
    EXPECT_EQ(p.userLongitude, 0.0f);
}

TEST_F(WindowProc, DraggingTheUserViewSteersItAndReturnsThePointerToTheCentre) {
    p.currentCamera = 6;
    windowProc({WM_LBUTTONDOWN, MK_LBUTTON, makePointParam(10, 10)});
    EXPECT_TRUE(inputState().mouseLook);
    const ScreenPoint centre{100 + 320, 50 + 240};
    EXPECT_EQ(inputState().lookCentre.x, centre.x);
    EXPECT_EQ(inputState().lookCentre.y, centre.y);
    ASSERT_EQ(s.cursorMoves.size(), 1u);
    EXPECT_EQ(s.cursors, std::vector<SystemCursor>{SystemCursor::SizeAll});

    // 100 pixels right and 50 down of the centre, in client coordinates.
    windowProc({WM_MOUSEMOVE, MK_LBUTTON, makePointParam(420, 290)});
    EXPECT_FLOAT_EQ(p.userLongitude, -0.1f);
    EXPECT_FLOAT_EQ(p.userLatitude, 0.05f);
    EXPECT_EQ(last().first, "USER COORDINATES");
    EXPECT_EQ(last().second, "02\xBA 51' N, 005\xBA 43' W");
    ASSERT_EQ(s.cursorMoves.size(), 2u);
    EXPECT_EQ(s.cursorMoves[1].x, centre.x);
    EXPECT_EQ(s.cursorMoves[1].y, centre.y);

    // Far down: the message shows the unclamped latitude once.
    windowProc({WM_MOUSEMOVE, MK_LBUTTON, makePointParam(320, 240 + 1500)});
    EXPECT_EQ(last().second.substr(0, 2), "88");
    EXPECT_FLOAT_EQ(p.userLatitude, 1.47f);

    // Longitude wraps into (-π, π].
    p.userLongitude = -3.1f;
    windowProc({WM_MOUSEMOVE, MK_LBUTTON, makePointParam(320 + 100, 240)});
    EXPECT_NEAR(p.userLongitude, -3.2f + 2.0f * 3.14159265f, 1e-4f);

    windowProc({WM_LBUTTONUP, 0, 0});
    EXPECT_FALSE(inputState().mouseLook);
    EXPECT_EQ(s.cursors.back(), SystemCursor::Arrow);
    const auto shown = s.messages.size();
    windowProc({WM_MOUSEMOVE, 0, makePointParam(0, 0)});
    EXPECT_EQ(s.messages.size(), shown);
}

TEST_F(WindowProc, AUserViewThatDoesNotFollowTheEarthShowsTheLongitudeOverTheGround) {
    p.currentCamera = 6;
    p.userCameraFollowsEarth = 0;
    s.spin = 1.0f;
    windowProc({WM_LBUTTONDOWN, MK_LBUTTON, 0});
    windowProc({WM_MOUSEMOVE, MK_LBUTTON, makePointParam(320, 240)});
    // The earth has turned 1 radian east under the view: the ground below is
    // 57 degrees 17 minutes west.
    EXPECT_EQ(last().second, "00\xBA 00' N, 057\xBA 17' W");
    EXPECT_EQ(p.userLongitude, 0.0f);
}

TEST(UserCoordinates, TwelveAndAHalfDegreesNorthHasNoGlyphForTheDegreeSign) {
    const float lat = 12.5f / 57.295776f;
    EXPECT_EQ(userCoordinatesText(lat, -2.0f), "12\xBA 30' N, 114\xBA 35' W");
    EXPECT_EQ(userCoordinatesText(-0.5f, 0.0f), "28\xBA 38' S, 000\xBA 00' E");
}

TEST(PointParam, SignedClientCoordinatesRoundTrip) {
    const int64_t v = makePointParam(-5, 700);
    EXPECT_EQ(pointParamX(v), -5);
    EXPECT_EQ(pointParamY(v), 700);
}

} // namespace
} // namespace gv
