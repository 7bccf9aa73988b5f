// The locations manager on the recording renderer with the real earth and
// its morph clones, driven by key messages as the platform sends them and
// by 20 ms frames.
#include "locations/insert_form.h"
#include "locations_fixture.h"
#include "scene/cameras.h"
#include "scene/planet_objects.h"
#include "scene/scene_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace gv {
namespace {

using namespace platform;
using Message = std::pair<std::string, std::string>;
using Strings = std::vector<std::string>;

struct Manager : testing::LocationsFixture {
    SceneState scene;
    LocationsFrame frame;

    void SetUp() override {
        LocationsFixture::SetUp();
        prefs.currentCamera = 6;
        prefs.ambientPercent = 5;
        prefs.cameraSmoothness = 3;
        prefs.cameraChangingAutomatic = 1;
        prefs.extraSeconds = 60;
        prefs.userCameraFollowsEarth = 0;
        prefs.cloudsOnLocationsManager = 1;
        bindPlanets(*renderer, *device, prefs);
        ASSERT_TRUE(buildEarth());
        bool failedMain = false;
        ASSERT_TRUE(createCameras(prefs, 1280, 720, scene.earthPosition, failedMain));
        cameras().previous = 6;
        frame.scene = &scene;
        frame.camera = cameras().main.get();
        frame.frameMs = 20;
        frame.width = 1280;
        frame.height = 720;
    }
    void TearDown() override {
        destroyCameras();
        releasePlanets();
        LocationsFixture::TearDown();
    }

    LocationsManager& m() { return locationsManager(); }
    bool key(uint32_t vk) { return managerHandleKey({WM_KEYDOWN, vk, 1}); }
    bool keyUp(uint32_t vk) { return managerHandleKey({WM_KEYUP, vk, int64_t(0xC0000001u)}); }
    // A character key as the platform sends it: the key, then the character.
    void type(const char* text) {
        for (const char* c = text; *c; ++c) {
            const unsigned char ch = static_cast<unsigned char>(*c);
            uint32_t vk = ch;
            if (ch >= 'a' && ch <= 'z') vk = uint32_t(ch - 'a' + 'A');
            managerHandleKey({WM_KEYDOWN, vk, 1});
            managerHandleKey({WM_CHAR, ch, 1});
        }
    }
    void frames(int n) {
        for (int i = 0; i < n; ++i)
            managerFrame(frame);
    }
    void openFully() {
        ASSERT_TRUE(openManager());
        frames(110);
        ASSERT_TRUE(m().open);
        ASSERT_FALSE(m().opening);
    }
    uint32_t earthCull(int i) { return renderer->material(planets().earthMaterial0 + i).cullMode; }
    // The vertices last sent to the live clone's buffer.
    const std::vector<BufferVertex>* liveBuffer() const {
        for (auto it = backend->calls.rbegin(); it != backend->calls.rend(); ++it)
            if (it->op == "updateVertexBuffer") return &backend->buffers.at(it->a).first;
        return nullptr;
    }
    void expectLiveShape(int clone) {
        const auto* sent = liveBuffer();
        ASSERT_NE(sent, nullptr);
        const auto& shape = planets().clones[std::size_t(clone)]->vertices();
        ASSERT_EQ(sent->size(), shape.size());
        for (std::size_t i = 0; i < shape.size(); i += 7) {
            EXPECT_FLOAT_EQ((*sent)[i].x, shape[i].x) << i;
            EXPECT_FLOAT_EQ((*sent)[i].y, shape[i].y) << i;
            EXPECT_FLOAT_EQ((*sent)[i].z, shape[i].z) << i;
        }
    }
    int liveDraws() const {
        int n = 0;
        for (const auto& d : backend->draws)
            n += d.op == "drawIndexedBuffer" && d.texture != 0;
        return n;
    }
};

TEST_F(Manager, OpeningTakesTheKeyboardAndSwitchesToTheLocationsView) {
    load(testing::kWellKnownPlaces);
    const Preferences before = prefs;
    cameras().restart = false;
    ASSERT_TRUE(openManager());
    EXPECT_TRUE(m().hasKeyboard);
    EXPECT_TRUE(m().opening);
    EXPECT_TRUE(managerOnScreen());
    EXPECT_EQ(std::memcmp(&m().savedPreferences, &before, sizeof before), 0);
    EXPECT_EQ(prefs.currentCamera, 7);
    EXPECT_EQ(prefs.userCameraFollowsEarth, 1);
    EXPECT_EQ(prefs.cameraSmoothness, 1);
    EXPECT_EQ(prefs.cameraChangingAutomatic, 0);
    EXPECT_EQ(prefs.extraSeconds, 0u);
    // 0.97 radians are 55 whole degrees: 33000 / 55.
    EXPECT_EQ(prefs.cameras[7].distance, 600);
    EXPECT_TRUE(cameras().restart);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(earthCull(i), 1u) << "the map shows from both sides";
    EXPECT_TRUE(host.messages.empty()) << "the window procedure says ON";
}

TEST_F(Manager, NoOpeningWhileTheCameraGlides) {
    load(testing::kWellKnownPlaces);
    cameras().t = 0.4f;
    EXPECT_FALSE(openManager());
    EXPECT_FALSE(m().hasKeyboard);
    EXPECT_FALSE(managerOnScreen());
    EXPECT_EQ(prefs.currentCamera, 6);
    EXPECT_EQ(host.last(), (Message{"CAMERA CHANGING IN COURSE", "NAVIGATION SYSTEM BUSY"}));
}

TEST_F(Manager, TwoOneSecondStagesEachWayWithTheLightFollowingTheSecondAndFirst) {
    load(testing::kWellKnownPlaces);
    ASSERT_TRUE(openManager());
    // Stage 0: the globe opens out into the segment; the light stays.
    frames(49);
    EXPECT_EQ(m().morphStage, 0);
    EXPECT_NEAR(m().morphT, 0.98f, 1e-4f);
    EXPECT_EQ(prefs.ambientPercent, 5);
    frames(3);
    EXPECT_EQ(m().morphStage, 1);
    // Stage 1: the light rises with the morph, to full light.
    int last = prefs.ambientPercent;
    for (int i = 0; i < 45; ++i) {
        frames(1);
        EXPECT_GE(prefs.ambientPercent, last);
        EXPECT_NEAR(float(prefs.ambientPercent), std::min(5.0f + m().morphT * 100.0f, 100.0f),
                    1.0f);
        last = prefs.ambientPercent;
    }
    EXPECT_TRUE(m().opening);
    EXPECT_EQ(backend->ambient,
              0xFF000000u | (255u * uint32_t(prefs.ambientPercent) / 100u) * 0x010101u)
        << "the renderer's ambient light follows";
    frames(8);
    ASSERT_TRUE(m().open) << "open about two seconds after F4";
    EXPECT_FALSE(m().opening);
    EXPECT_EQ(m().morphStage, 1);
    EXPECT_FLOAT_EQ(m().morphT, 1.0f);
    EXPECT_EQ(prefs.ambientPercent, 100);
    EXPECT_EQ(prefs.moonShown, 0);
    EXPECT_EQ(prefs.starsShown, 0);
    EXPECT_EQ(prefs.sunShown, 0);
    EXPECT_FALSE(cameras().transitionRunning());
    EXPECT_EQ(cameras().previous, 7) << "the glide to the locations view is carried out";

    const int32_t userDistance = m().savedPreferences.cameras[7].distance;
    ASSERT_NE(prefs.cameras[7].distance, userDistance);
    closeManager();
    EXPECT_TRUE(m().closing);
    EXPECT_TRUE(m().open);
    EXPECT_EQ(prefs.currentCamera, 6);
    EXPECT_EQ(prefs.cameras[7].distance, userDistance) << "the locations view's own distance";
    EXPECT_EQ(prefs.userCameraFollowsEarth, 0);
    EXPECT_EQ(prefs.cameraSmoothness, 3);
    EXPECT_EQ(prefs.cameraChangingAutomatic, 1);
    EXPECT_EQ(prefs.extraSeconds, 60u);
    EXPECT_EQ(prefs.moonShown, 1) << "moon, stars and sun come back at the start of the closing";
    EXPECT_EQ(prefs.starsShown, 1);
    EXPECT_EQ(prefs.sunShown, 1);
    EXPECT_TRUE(host.messages.empty()) << "closing says nothing";
    // Stage 1 back to the segment in full light, then stage 0 with the
    // light falling back to the user's level.
    frames(49);
    EXPECT_EQ(m().morphStage, 1);
    EXPECT_EQ(prefs.ambientPercent, 100);
    frames(3);
    EXPECT_EQ(m().morphStage, 0);
    frames(45);
    EXPECT_TRUE(m().closing);
    EXPECT_TRUE(m().hasKeyboard) << "the keyboard stays claimed to the end of the animation";
    EXPECT_LT(prefs.ambientPercent, 100);
    frames(8);
    EXPECT_FALSE(managerOnScreen());
    EXPECT_FALSE(m().hasKeyboard);
    EXPECT_EQ(m().morphStage, 0);
    EXPECT_FLOAT_EQ(m().morphT, 0.0f);
    EXPECT_EQ(prefs.ambientPercent, 5) << "exactly the user's level again";
    EXPECT_EQ(backend->ambient, 0xFF0C0C0Cu) << "5 % of 255, truncated";
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(earthCull(i), 3u);
}

// With "TRUE SEASONS" the globe straightens up while it opens into the
// segment, so that the map lies upright, and tilts back as it rolls up.
TEST_F(Manager, TheEarthsTiltGoesWhileTheGlobeOpensAndComesBackAsItCloses) {
    load(testing::kWellKnownPlaces);
    EXPECT_FLOAT_EQ(managerEarthTilt(), 1.0f);
    ASSERT_TRUE(openManager());
    EXPECT_FLOAT_EQ(managerEarthTilt(), 1.0f);
    frames(25); // half a second of 20 ms frames: half way to the segment
    EXPECT_NEAR(managerEarthTilt(), 0.5f, 1e-4f);
    frames(27);
    EXPECT_EQ(m().morphStage, 1);
    EXPECT_FLOAT_EQ(managerEarthTilt(), 0.0f);
    frames(60);
    ASSERT_TRUE(m().open);
    EXPECT_FLOAT_EQ(managerEarthTilt(), 0.0f) << "the map upright";
    closeManager();
    frames(52);
    ASSERT_EQ(m().morphStage, 0);
    const float early = managerEarthTilt();
    EXPECT_LT(early, 0.1f);
    frames(25);
    EXPECT_GT(managerEarthTilt(), early + 0.4f);
    frames(40);
    ASSERT_FALSE(managerOnScreen());
    EXPECT_FLOAT_EQ(managerEarthTilt(), 1.0f);
}

TEST_F(Manager, TheLiveMeshIsBlendedBetweenTheClonesAndEndsOnTheExactShapes) {
    load(testing::kWellKnownPlaces);
    ASSERT_TRUE(openManager());
    backend->clearLog();
    frames(1);
    expectLiveShape(0); // t = 0 of stage 0: the globe
    frames(24);         // t = 0.48 at the 25th frame's morph
    {
        const auto* sent = liveBuffer();
        ASSERT_NE(sent, nullptr);
        const auto& a = planets().clones[0]->vertices();
        const auto& b = planets().clones[1]->vertices();
        const std::size_t i = a.size() / 3;
        EXPECT_NEAR((*sent)[i].x, a[i].x + (b[i].x - a[i].x) * 0.48f, 1e-2f);
        EXPECT_NEAR((*sent)[i].z, a[i].z + (b[i].z - a[i].z) * 0.48f, 1e-2f);
        EXPECT_NEAR((*sent)[i].nx, a[i].nx + (b[i].nx - a[i].nx) * 0.48f, 1e-3f);
        EXPECT_EQ((*sent)[i].diffuse, 0xFFFFFFFFu) << "opaque white";
    }
    frames(90);
    ASSERT_TRUE(m().open);
    expectLiveShape(2); // the flat map exactly
    closeManager();
    frames(110);
    ASSERT_FALSE(managerOnScreen());
    expectLiveShape(0); // the globe exactly
}

TEST_F(Manager, TheLiveMeshIsDrawnWithTheEarthsTransformAndTheCloudsOverItWhenThereAreAny) {
    load(testing::kWellKnownPlaces);
    std::vector<std::unique_ptr<Texture>> tiles;
    const uint8_t pixel[4] = {255, 255, 255, 128};
    for (int i = 0; i < 8; ++i) {
        tiles.push_back(std::make_unique<Texture>(*device));
        ASSERT_EQ(tiles.back()->createFromPixels(1, 1, 32, 8, pixel), 0u);
        host.clouds[std::size_t(i)] = tiles.back().get();
    }
    openFully();

    backend->clearLog();
    frames(1);
    EXPECT_EQ(liveDraws(), 8) << "no cloud map: the map alone, eight patches";

    host.cloudMap = true;
    backend->clearLog();
    frames(1);
    ASSERT_EQ(liveDraws(), 16);
    // The same run of the live mesh twice: each patch wears its own cloud
    // tile over the map's own tile.
    for (std::size_t k = 0; k < 8; ++k) {
        int patch = -1;
        for (int i = 0; i < 8; ++i)
            if (backend->draws[k].texture == planets().earthTextures[std::size_t(i)]->deviceId())
                patch = i;
        ASSERT_GE(patch, 0) << "draw " << k << " is no surface patch";
        EXPECT_EQ(backend->draws[k + 8].texture, tiles[std::size_t(patch)]->deviceId()) << patch;
    }
    for (int i = 0; i < 8; ++i) {
        Material& mat = renderer->material(planets().earthMaterial0 + uint32_t(i));
        EXPECT_EQ(mat.texture(), planets().earthTextures[std::size_t(i)].get());
        EXPECT_EQ(mat.blendMode(), MaterialBlendMode::Opaque);
        EXPECT_EQ(mat.cullMode, 1u);
    }
    Mesh& live = *planets().clones[3];
    EXPECT_NEAR(live.world().m[0][0], 1.02f, 1e-5f) << "a little larger than the map";

    prefs.cloudsOnLocationsManager = 0;
    backend->clearLog();
    frames(1);
    EXPECT_EQ(liveDraws(), 8);
}

TEST_F(Manager, ListsKeysSelectUnselectSearchAndToggle) {
    load(testing::kWellKnownPlaces, {5});
    openFully();
    host.messages.clear();
    EXPECT_FALSE(key('T')) << "searching answers no";
    EXPECT_EQ(available().cursor, 7);
    EXPECT_TRUE(key(VK_RETURN));
    EXPECT_EQ(selectedIndices(), (std::vector<uint32_t>{5, 7}));
    EXPECT_EQ(host.last(), (Message{"SELECTED LOCATION", " "}));
    key('P');
    host.messages.clear();
    key(VK_RETURN);
    EXPECT_TRUE(host.messages.empty()) << "Paris is already chosen";
    EXPECT_TRUE(key(VK_TAB));
    EXPECT_FALSE(m().listsVisible);
    key(VK_TAB);
    EXPECT_TRUE(m().listsVisible);
    EXPECT_TRUE(keyUp('P'));
    EXPECT_FALSE(managerHandleKey({WM_CHAR, 'p', 1}));
    EXPECT_FALSE(managerHandleKey({WM_SYSKEYDOWN, VK_F10, 1})) << "F10 goes on to the window";

    // The selected list: Enter and Delete unselect, Ctrl+Delete clears.
    key(VK_RIGHT);
    ASSERT_EQ(locations().listsPanel->focusIndex(), 1);
    selected().setCursor(0);
    key(VK_RETURN);
    EXPECT_EQ(selectedIndices(), (std::vector<uint32_t>{7}));
    key(VK_DELETE);
    EXPECT_TRUE(selectedIndices().empty());
    selectPlace(1);
    selectPlace(2);
    EXPECT_FALSE(key(VK_CONTROL));
    EXPECT_TRUE(m().ctrlDown);
    key(VK_DELETE);
    EXPECT_TRUE(selectedIndices().empty());
    EXPECT_EQ(host.last(), (Message{"CLEAR SELECTIONS", " "}));
    keyUp(VK_CONTROL);
    EXPECT_FALSE(m().ctrlDown);
}

TEST_F(Manager, DeleteOnTheAvailableListNeedsCtrlAndThenDeletesAtOnce) {
    load(testing::kWellKnownPlaces, {5, 7, 3});
    openFully();
    available().setCursor(0);
    host.messages.clear();
    EXPECT_TRUE(key(VK_DELETE));
    EXPECT_EQ(locations().places.size(), 8u);
    EXPECT_TRUE(host.messages.empty());
    key(VK_CONTROL);
    key(VK_DELETE);
    EXPECT_EQ(host.last(), (Message{"DELETE LOCATION", " "}));
    EXPECT_EQ(databaseNames().front(), "Buenos Aires");
    EXPECT_EQ(selectedIndices(), (std::vector<uint32_t>{4, 6, 2}));
    EXPECT_EQ(names(selected()), (Strings{"Paris", "Tokyo", "London"}));
}

TEST_F(Manager, ACtrlLetGoInTheFormDoesNotTurnALaterDeleteIntoADeletion) {
    load(testing::kWellKnownPlaces);
    openFully();
    key(VK_CONTROL);
    key(VK_INSERT);
    ASSERT_TRUE(m().insertMode);
    keyUp(VK_CONTROL);
    key(VK_ESCAPE);
    ASSERT_FALSE(m().insertMode);
    key(VK_DELETE);
    EXPECT_EQ(locations().places.size(), 8u);
}

TEST_F(Manager, F4AndEscapeCloseTheManager) {
    load(testing::kWellKnownPlaces);
    openFully();
    EXPECT_TRUE(key(VK_F4));
    EXPECT_TRUE(m().closing);
    frames(110);
    openFully();
    EXPECT_TRUE(key(VK_ESCAPE));
    EXPECT_TRUE(m().closing);
    // F4 while it rolls up closes it again, which changes nothing.
    EXPECT_TRUE(key(VK_F4));
    EXPECT_TRUE(m().closing);
    EXPECT_EQ(prefs.currentCamera, 6);
    frames(110);
    EXPECT_FALSE(managerOnScreen());
}

TEST_F(Manager, WhileTheMapRollsTheKeysActAsWhenItIsOpen) {
    load(testing::kWellKnownPlaces);
    ASSERT_TRUE(openManager());
    frames(30);
    ASSERT_TRUE(m().opening);
    // The lists take their keys during the morph.
    EXPECT_TRUE(key(VK_RETURN));
    EXPECT_EQ(selectedIndices().size(), 1u);
    // Keys the manager leaves reach the window procedure: help and options.
    EXPECT_FALSE(key(VK_F1));
    EXPECT_FALSE(key(VK_F2));
    EXPECT_TRUE(key(VK_ESCAPE));
    EXPECT_TRUE(m().closing);
    EXPECT_FALSE(m().opening);
    EXPECT_EQ(prefs.currentCamera, 6);
    frames(40);
    EXPECT_FALSE(managerOnScreen()) << "rolled back from where it was";
    EXPECT_EQ(prefs.ambientPercent, 5);
}

TEST_F(Manager, InsertingANewPlaceFromTheForm) {
    load(testing::kWellKnownPlaces, {5});
    openFully();
    available().setCursor(3);
    ASSERT_TRUE(key(VK_INSERT));
    ASSERT_TRUE(m().insertMode);
    EXPECT_EQ(locations().formPanel->focusIndex(), 0);
    type("Punta Arenas");
    key(VK_TAB);
    type("53");
    key(VK_TAB);
    type("09");
    key(VK_TAB);
    type("s");
    key(VK_TAB);
    type("070");
    key(VK_TAB);
    type("55");
    key(VK_TAB);
    type("W");
    key(VK_TAB);
    for (int i = 0; i < 8; ++i)
        key(VK_DOWN); // GMT-12 + 8 = GMT-4
    EXPECT_TRUE(key(VK_INSERT));
    EXPECT_FALSE(m().insertMode);
    EXPECT_EQ(host.last(), (Message{"NEW LOCATION", "INSERTED"}));
    ASSERT_EQ(locations().places.size(), 9u);
    const LocationRecord& r = locations().places[8];
    EXPECT_EQ(locationName(r), "Punta Arenas");
    EXPECT_EQ(r.catalogueCountry, 0xFFFF);
    EXPECT_EQ(r.catalogueRegion, 0xFFFFFFFFu);
    EXPECT_FLOAT_EQ(r.latitude, -(53.0f + 9.0f * 0.016666668f));
    EXPECT_FLOAT_EQ(r.longitude, -(70.0f + 55.0f * 0.016666668f));
    EXPECT_EQ(r.timeZone, -4);
    EXPECT_EQ(names(available()).back(), "Punta Arenas");
    EXPECT_EQ(selectedIndices(), std::vector<uint32_t>{5}) << "a new place is not selected";
    EXPECT_EQ(available().cursor, 3);

    // The next form starts empty, the time zone where it was.
    key(VK_INSERT);
    for (const OverlayEdit* e : locations().formEdits)
        EXPECT_EQ(e->length(), 0);
    EXPECT_EQ(locations().timeZoneList->cursor, 8);
}

TEST_F(Manager, AnIncompleteFormStaysWithItsContentsAndEscapeAddsNothing) {
    load(testing::kWellKnownPlaces);
    openFully();
    available().setCursor(2);
    key(VK_INSERT);
    type("Nowhere");
    key(VK_TAB);
    type("12");
    EXPECT_TRUE(key(VK_INSERT));
    EXPECT_TRUE(m().insertMode);
    EXPECT_EQ(host.last(), (Message{"PLEASE FILL ALL THE FIELDS", "ERROR"}));
    EXPECT_STREQ(locations().formEdits[0]->text(), "Nowhere");
    EXPECT_STREQ(locations().formEdits[1]->text(), "12");
    EXPECT_FALSE(key(VK_RETURN)) << "Enter in a field does nothing";
    EXPECT_FALSE(key(VK_F4)) << "left to the window";
    EXPECT_TRUE(key(VK_ESCAPE));
    EXPECT_FALSE(m().insertMode);
    EXPECT_EQ(locations().places.size(), 8u);
    EXPECT_EQ(available().cursor, 2);
}

TEST_F(Manager, AFullDatabaseTakesNoNewPlaceAndTheFormStays) {
    // 64 MiB: as many places as the reader takes whole.
    test::writeBytes(dir.file("geovista.loc"), testing::databaseBytes(testing::kWellKnownPlaces));
    std::filesystem::resize_file(dir.file("geovista.loc"), 64u << 20);
    ASSERT_TRUE(initLocations(dir.folder(), false, 1280, 720));
    ASSERT_EQ(locations().places.size(), kMaxPlaces);
    openFully();
    key(VK_INSERT);
    for (const char* field : {"Overflow", "1", "2", "n", "3", "4", "e"}) {
        type(field);
        key(VK_TAB);
    }
    EXPECT_TRUE(key(VK_INSERT));
    EXPECT_EQ(host.last(), (Message{"UNABLE TO INSERT!", "FAIL"}));
    EXPECT_TRUE(m().insertMode);
    EXPECT_STREQ(locations().formEdits[0]->text(), "Overflow");
    EXPECT_EQ(locations().places.size(), kMaxPlaces);
    EXPECT_EQ(available().items.size(), kMaxPlaces);
}

TEST_F(Manager, OutOfRangeDegreesAndALongNameAreStoredAsTyped) {
    load(testing::kWellKnownPlaces);
    openFully();
    key(VK_INSERT);
    type("ABCDEFGHIJKLMNOPQRSTUVWXYZ1234X"); // 31 characters
    key(VK_TAB);
    type("99");
    key(VK_TAB);
    type("99");
    key(VK_TAB);
    type("n");
    key(VK_TAB);
    type("999");
    key(VK_TAB);
    type("99");
    key(VK_TAB);
    type("e");
    key(VK_INSERT);
    ASSERT_EQ(locations().places.size(), 9u);
    const LocationRecord& r = locations().places[8];
    EXPECT_EQ(locationName(r), "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234");
    EXPECT_EQ(r.name[30], 0);
    EXPECT_FLOAT_EQ(r.latitude, 99.0f + 99.0f * 0.016666668f);
    EXPECT_FLOAT_EQ(r.longitude, 999.0f + 99.0f * 0.016666668f);
    EXPECT_EQ(r.timeZone, -12);
    // Drawn where the trigonometry puts it.
    available().setCursor(8);
    backend->clearLog();
    frames(1);
    EXPECT_NE(textDraw("ABCDEFGHIJKLMNOPQRSTUVWXYZ1234"), nullptr);
}

TEST_F(Manager, AnEmptyDatabaseOpensAndItsKeysOnlySayWhatTheyWouldDo) {
    load({});
    openFully();
    host.messages.clear();
    key(VK_RETURN);
    key(VK_DELETE);
    EXPECT_TRUE(host.messages.empty());
    key(VK_CONTROL);
    key(VK_DELETE);
    EXPECT_EQ(host.messages, (std::vector<Message>{{"DELETE LOCATION", " "}}));
    key('Q');
    key(VK_END);
    backend->clearLog();
    frames(1);
    EXPECT_EQ(texts(*mainFont).front(), "AVAILABLE LOCATIONS");
}

TEST_F(Manager, QuittingWithTheManagerOnScreenKeepsTheUsersOwnSettings) {
    load(testing::kWellKnownPlaces);
    prefs.cameras[7].distance = 777; // not what the manager's view takes
    Preferences copy = prefs;
    restoreManagerPreferences(copy);
    EXPECT_EQ(std::memcmp(&copy, &prefs, sizeof copy), 0) << "closed: nothing to put back";
    Preferences before = prefs;
    openFully();
    ASSERT_NE(prefs.cameras[7].distance, 777);
    prefs.cloudsOnLocationsManager = 0; // F10 while open is the user's own
    restoreManagerPreferences(prefs);
    // What is saved then is the user's record with the user's one change.
    before.cloudsOnLocationsManager = 0;
    EXPECT_EQ(std::memcmp(&prefs, &before, sizeof before), 0);
    EXPECT_EQ(prefs.cameras[7].distance, 777);
    EXPECT_EQ(prefs.currentCamera, before.currentCamera);
    EXPECT_EQ(prefs.userCameraFollowsEarth, before.userCameraFollowsEarth);
    EXPECT_EQ(prefs.cameraSmoothness, before.cameraSmoothness);
    EXPECT_EQ(prefs.cameraChangingAutomatic, before.cameraChangingAutomatic);
    EXPECT_EQ(prefs.extraSeconds, before.extraSeconds);
    EXPECT_EQ(prefs.ambientPercent, 5);
    EXPECT_EQ(prefs.moonShown, 1);
    EXPECT_EQ(prefs.starsShown, 1);
    EXPECT_EQ(prefs.sunShown, 1);
    EXPECT_EQ(prefs.cloudsOnLocationsManager, 0);
    // Half way through the closing the light is still on its way down.
    closeManager();
    frames(75);
    ASSERT_TRUE(m().closing);
    ASSERT_GT(prefs.ambientPercent, 5);
    restoreManagerPreferences(prefs);
    EXPECT_EQ(prefs.ambientPercent, 5);
}

TEST_F(Manager, ClosingGlidesBackFromWhereTheViewIs) {
    load(testing::kWellKnownPlaces);
    prefs.cameras[7].distance = 777;
    CameraSystem& cams = cameras();
    openFully();
    updateCameras(cams, 20, 20);
    const Vector3 earth = cams.inputs.earthPosition;
    const Vector3 seen = cams.main->position();
    ASSERT_NEAR(distance(seen, earth), 600.0f, 1.0f) << "the map seen from 33000 / 55 units";
    closeManager();
    ASSERT_EQ(prefs.cameras[7].distance, 777);
    // The locations view's record is now 777 units out; the view does not
    // jump there but glides on from where it was.
    updateCameras(cams, 1, 1);
    EXPECT_LT(distance(cams.main->position(), seen), 1.0f);
    for (int i = 0; i < 20 && cams.transitionRunning(); ++i)
        updateCameras(cams, 20, 20);
    EXPECT_FALSE(cams.transitionRunning());
    EXPECT_EQ(cams.previous, 6);
    EXPECT_NEAR(distance(cams.main->position(), earth), float(prefs.cameras[6].distance), 1.0f);
    EXPECT_FALSE(cams.fromDeparture) << "the next glide leaves from its record again";
}

TEST_F(Manager, TheListsTheirTitlesAndKeyLinesWhereTheyBelong) {
    load(testing::kWellKnownPlaces, {5, 7});
    prefs.labelsShowTime = 0;
    openFully();
    backend->clearLog();
    frames(1);
    // The highlighted place of the available list, then the box, the lists
    // and the texts.
    const auto all = texts(*mainFont);
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all[0], "Berlin");
    const auto* title = textDraw("AVAILABLE LOCATIONS");
    ASSERT_NE(title, nullptr);
    EXPECT_FLOAT_EQ(title->screen[0].sx, 325.0f);
    EXPECT_FLOAT_EQ(title->screen[0].sy, 70.0f);
    EXPECT_FLOAT_EQ(title->screen[1].sy - title->screen[0].sy, 27.0f * 0.8f);
    const auto* other = textDraw("SELECTED LOCATIONS");
    ASSERT_NE(other, nullptr);
    EXPECT_FLOAT_EQ(other->screen[0].sx, 645.0f);
    const auto* search = textDraw("type to search");
    ASSERT_NE(search, nullptr);
    EXPECT_FLOAT_EQ(search->screen[0].sy, 643.0f);
    const auto* enter = textDraw("[ENTER] select");
    ASSERT_NE(enter, nullptr);
    EXPECT_FLOAT_EQ(enter->screen[0].sx, 648.0f);
    EXPECT_FLOAT_EQ(enter->screen[0].sy, 552.0f);
    EXPECT_EQ(enter->screen[0].color, 0xFFCFCFCFu);
    EXPECT_EQ(enter->screen[4].color, 0xFFFFFF00u) << "the key in yellow";
    const auto* clouds = textDraw("[F10] clouds on|off");
    ASSERT_NE(clouds, nullptr);
    EXPECT_FLOAT_EQ(clouds->screen[0].sy, 552.0f + 4 * 13.0f);
    bool box = false;
    for (const auto& d : backend->draws)
        if (d.op == "drawScreen" && d.screen[0].color == 0xAF102040u) {
            box = true;
            EXPECT_FLOAT_EQ(d.screen[0].sx, 645.0f);
            EXPECT_FLOAT_EQ(d.screen[0].sy, 535.0f);
            EXPECT_FLOAT_EQ(d.screen[2].sx, 955.0f);
            EXPECT_FLOAT_EQ(d.screen[2].sy, 635.0f);
        }
    EXPECT_TRUE(box);
    EXPECT_EQ(texts(*hintFont).size(), 1u) << "the arrow keys";

    // The selected list focused: its places, the highlighted one again,
    // and its own key lines.
    key(VK_RIGHT);
    backend->clearLog();
    frames(1);
    const auto focused = texts(*mainFont);
    EXPECT_EQ(Strings(focused.begin(), focused.begin() + 3), (Strings{"Paris", "Tokyo", "Paris"}));
    EXPECT_NE(textDraw("[CTRL+DEL] clear selections"), nullptr);

    // Lists hidden: the focused list's title and summary below the list.
    key(VK_TAB);
    backend->clearLog();
    frames(1);
    EXPECT_EQ(textDraw("AVAILABLE LOCATIONS"), nullptr);
    const auto* hiddenTitle = textDraw("SELECTED LOCATIONS");
    ASSERT_NE(hiddenTitle, nullptr);
    EXPECT_FLOAT_EQ(hiddenTitle->screen[0].sx, 325.0f);
    EXPECT_FLOAT_EQ(hiddenTitle->screen[0].sy, 645.0f);
    const auto* summary = textDraw("[ENTER] [DEL] [CTRL+DEL] [TAB] [F10]");
    ASSERT_NE(summary, nullptr);
    EXPECT_FLOAT_EQ(summary->screen[0].sx, 389.0f);
    EXPECT_FLOAT_EQ(summary->screen[0].sy, 665.0f);
}

TEST_F(Manager, TheFormWithItsCaptionsAndNoMarkers) {
    load(testing::kWellKnownPlaces, {5});
    openFully();
    key(VK_INSERT);
    backend->clearLog();
    frames(1);
    const auto* title = textDraw("INSERTING NEW LOCATION");
    ASSERT_NE(title, nullptr);
    EXPECT_FLOAT_EQ(title->screen[0].sx, 98.0f);
    EXPECT_FLOAT_EQ(title->screen[0].sy, 90.0f);
    const auto* hint = textDraw("[INS] confirm\n[ESC] cancel");
    ASSERT_NE(hint, nullptr);
    EXPECT_FLOAT_EQ(hint->screen[0].sy, 291.0f);
    for (const auto& [text, x, y] :
         std::vector<std::tuple<std::string, float, float>>{{"Location", 13, 145},
                                                            {"Latitude", 13, 198},
                                                            {"Longitude", 13, 251},
                                                            {"Name", 98, 125},
                                                            {"N|S", 226, 178},
                                                            {"E|W", 226, 231},
                                                            {"Timezone", 300, 178}}) {
        const auto* d = textDraw(text);
        ASSERT_NE(d, nullptr) << text;
        EXPECT_FLOAT_EQ(d->screen[0].sx, x) << text;
        EXPECT_FLOAT_EQ(d->screen[0].sy, y) << text;
    }
    EXPECT_NE(textDraw("GMT-12"), nullptr);
    EXPECT_EQ(textDraw("Berlin"), nullptr) << "no lists and no places behind the form";
    int markers = 0;
    for (const auto& d : backend->draws)
        markers += d.op == "drawIndexedBuffer" && d.texture == 0;
    EXPECT_EQ(markers, 0);
}

} // namespace
} // namespace gv
