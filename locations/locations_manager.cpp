#include "locations/locations_manager.h"

#include "engine/mesh.h"
#include "engine/renderer.h"
#include "locations/insert_form.h"
#include "locations/location_lists.h"
#include "locations/locations_files.h"
#include "locations/locations_host.h"
#include "scene/cameras.h"
#include "scene/planet_objects.h"
#include "scene/scene_state.h"

#include <algorithm>

namespace gv {

using namespace platform;

namespace {

LocationsManager gManager;

constexpr float kMorphPerMs = 0.001f; // a stage takes one second
constexpr float kDegreesPerRadian = 57.29578f;
constexpr int32_t kLocationsCameraSpan = 33000;
constexpr float kCloudLayerScale = 1.02f;
enum : int { kGlobeShape = 0, kSegmentShape = 1, kFlatShape = 2, kLiveShape = 3 };

void setEarthCulling(uint32_t cullMode) {
    PlanetObjects& p = planets();
    if (!p.renderer || !p.earthReserved) return;
    for (uint32_t i = 0; i < kEarthPatches; ++i)
        p.renderer->material(p.earthMaterial0 + i).cullMode = cullMode;
}

// Morphs between two of the clones; false while they do not exist.
bool morphShapes(int from, int to, float t) {
    PlanetObjects& p = planets();
    Mesh* live = p.clones[kLiveShape].get();
    const Mesh* a = p.clones[std::size_t(from)].get();
    const Mesh* b = p.clones[std::size_t(to)].get();
    if (!live || !a || !b) return false;
    morphEarthMesh(*live, *a, *b, t);
    return true;
}

void morphStep(const LocationsManager& m) {
    if (m.morphStage == 0)
        morphShapes(kGlobeShape, kSegmentShape, m.morphT);
    else
        morphShapes(kSegmentShape, kFlatShape, m.morphT);
}

// The ambient light follows the morph from the user's level up to full
// light and back, never outside the two.
void rampAmbient(const LocationsManager& m) {
    Preferences& prefs = *locations().bound.prefs;
    const float saved = float(m.savedPreferences.ambientPercent);
    float value = saved + m.morphT * 100.0f;
    if (value > 100.0f) value = 100.0f;
    if (value < saved) value = saved;
    prefs.ambientPercent = int32_t(value);
    const float level = float(prefs.ambientPercent) * 0.01f;
    if (Renderer* r = locations().bound.renderer) r->setAmbientLight(level, level, level);
}

void finishOpening(LocationsManager& m) {
    Preferences& prefs = *locations().bound.prefs;
    m.morphStage = 1;
    m.morphT = 1.0f;
    m.open = true;
    m.opening = false;
    morphShapes(kSegmentShape, kFlatShape, 1.0f);
    prefs.moonShown = 0;
    prefs.starsShown = 0;
    prefs.sunShown = 0;
    // The glide to the locations camera ends here, wherever it had got to.
    CameraSystem& cams = cameras();
    if (cams.prefs) {
        cams.t = 0.0f;
        cams.previous = cams.current();
        cams.restart = true;
    }
}

void finishClosing(LocationsManager& m) {
    m.morphStage = 0;
    m.morphT = 0.0f;
    m.open = false;
    m.closing = false;
    morphShapes(kGlobeShape, kSegmentShape, 0.0f);
    setEarthCulling(3);
    m.hasKeyboard = false;
}

void advanceMorph(LocationsManager& m, uint32_t frameMs) {
    const float step = float(frameMs) * kMorphPerMs;
    if (m.opening) {
        m.morphT += step;
        if (m.morphStage == 1) rampAmbient(m);
        if (m.morphT > 1.0f) {
            m.morphT = 0.0f;
            if (++m.morphStage > 1) finishOpening(m);
        }
    } else if (m.closing) {
        m.morphT -= step;
        if (m.morphStage == 0) rampAmbient(m);
        if (m.morphT < 0.0f) {
            m.morphT = 1.0f;
            if (--m.morphStage < 0) finishClosing(m);
        }
    }
}

// The clouds over the map, when there are any: the live mesh again, a
// little larger, with the cloud textures blended over the map.
void drawCloudLayer(Mesh& live, const SceneState& scene) {
    const LocationsBinding& b = locations().bound;
    PlanetObjects& p = planets();
    if (!isOn(b.prefs->cloudsOnLocationsManager) || !p.earthReserved) return;
    ManagerClouds& clouds = managerClouds();
    if (!clouds.cloudMapExists()) return;
    Renderer& r = *p.renderer;
    const uint32_t cullBefore = r.material(p.earthMaterial0).cullMode;
    for (uint32_t i = 0; i < kEarthPatches; ++i) {
        Material& m = r.material(p.earthMaterial0 + i);
        m.setTexture(clouds.cloudTexture(int(i)));
        m.setBlendMode(MaterialBlendMode::CombinedAlpha);
        m.cullMode = 3;
    }
    live.world().setScale(kCloudLayerScale);
    live.world().multiply(scene.earthTransform);
    live.draw();
    // The surface again, with the culling it had (the last closing frame has
    // already turned it back to one-sided).
    for (uint32_t i = 0; i < kEarthPatches; ++i) {
        Material& m = r.material(p.earthMaterial0 + i);
        m.setTexture(p.earthTextures[i].get());
        m.setBlendMode(MaterialBlendMode::Opaque);
        m.cullMode = cullBefore;
    }
}

bool isKeyDown(const WindowMessage& msg) {
    return msg.message == WM_KEYDOWN;
}

bool insertModeKey(LocationsManager& m, const WindowMessage& msg) {
    LocationsState& s = locations();
    const int result = s.formPanel ? s.formPanel->handleKey(msg) : kWidgetNothing;
    if (!isKeyDown(msg)) return false;
    if (msg.wParam == VK_INSERT) {
        if (insertNewLocation()) m.insertMode = false;
        return true;
    }
    if (result == kWidgetEscape) {
        m.insertMode = false;
        return true;
    }
    return false;
}

void deleteKey(const LocationsManager& m) {
    LocationsState& s = locations();
    if (s.listsPanel->focusIndex() == 1) {
        if (m.ctrlDown)
            clearSelection();
        else
            unselectAtCursor();
    } else if (m.ctrlDown) {
        deletePlace(uint32_t(s.availableList->cursor));
    }
}

bool listsModeKey(LocationsManager& m, const WindowMessage& msg) {
    LocationsState& s = locations();
    switch (msg.wParam) {
    case VK_TAB:
        m.listsVisible = !m.listsVisible;
        return true;
    case VK_RETURN:
        if (s.listsPanel->focusIndex() == 1)
            unselectAtCursor();
        else
            selectPlace(uint32_t(s.availableList->cursor));
        return true;
    case VK_CONTROL:
        m.ctrlDown = true;
        return false;
    case VK_INSERT:
        if (!s.formPanel) return true;
        m.insertMode = true;
        clearInsertForm();
        return true;
    case VK_DELETE:
        deleteKey(m);
        return true;
    case VK_F4:
        closeManager();
        return true;
    default:
        if (s.listsPanel->handleKey(msg) == kWidgetEscape) {
            closeManager();
            return true;
        }
        return false;
    }
}

} // namespace

LocationsManager& locationsManager() {
    return gManager;
}

void resetLocationsManager() {
    gManager = LocationsManager{};
    highlightPhase() = 0.0f;
}

bool managerOnScreen() {
    return gManager.opening || gManager.open || gManager.closing;
}

bool openManager() {
    LocationsManager& m = gManager;
    CameraSystem& cams = cameras();
    Preferences* prefs = locations().bound.prefs;
    if (!prefs) return false;
    if (cams.transitionRunning()) {
        locationsHost().postMessage("CAMERA CHANGING IN COURSE", "NAVIGATION SYSTEM BUSY");
        return false;
    }
    if (m.opening) return true;
    m.hasKeyboard = true;
    m.savedPreferences = *prefs;
    Preferences& p = *prefs;
    p.currentCamera = kLocationView;
    p.userCameraFollowsEarth = 1;
    p.cameraSmoothness = 1;
    p.cameraChangingAutomatic = 0;
    p.extraSeconds = 0;
    const int32_t fovDegrees = std::max(int32_t(p.fieldOfView * kDegreesPerRadian), int32_t(1));
    p.cameras[kLocationView].distance = kLocationsCameraSpan / fovDegrees;
    cams.restart = true;
    cams.timerMs = 0;
    // The unrolled map shows from both sides.
    setEarthCulling(1);
    m.opening = true;
    return true;
}

namespace {

// The view settings the manager changes for its map; the light comes back
// with the closing's ramp.
void putBackViewSettings(Preferences& p, const Preferences& saved) {
    p.currentCamera = saved.currentCamera;
    p.cameras[kLocationView].distance = saved.cameras[kLocationView].distance;
    p.userCameraFollowsEarth = saved.userCameraFollowsEarth;
    p.cameraSmoothness = saved.cameraSmoothness;
    p.cameraChangingAutomatic = saved.cameraChangingAutomatic;
    p.extraSeconds = saved.extraSeconds;
    p.moonShown = saved.moonShown;
    p.starsShown = saved.starsShown;
    p.sunShown = saved.sunShown;
}

} // namespace

void closeManager() {
    LocationsManager& m = gManager;
    Preferences* prefs = locations().bound.prefs;
    if (prefs) putBackViewSettings(*prefs, m.savedPreferences);
    // The put-back settings move the locations view's record (its distance,
    // whether it turns with the earth): the glide back leaves from the view.
    glideFromView(cameras());
    m.opening = false;
    m.closing = true;
}

void restoreManagerPreferences(Preferences& prefs) {
    const LocationsManager& m = gManager;
    if (!managerOnScreen()) return;
    putBackViewSettings(prefs, m.savedPreferences);
    prefs.ambientPercent = m.savedPreferences.ambientPercent;
}

bool managerHandleKey(const WindowMessage& msg) {
    LocationsManager& m = gManager;
    LocationsState& s = locations();
    if (!m.hasKeyboard || !s.listsPanel) return false;
    // A key-up of Ctrl always counts, so that a Ctrl let go while the form
    // is shown cannot turn a later Delete into a deletion.
    const bool keyUp = msg.message == WM_KEYUP;
    if (keyUp && msg.wParam == VK_CONTROL) m.ctrlDown = false;
    if (m.insertMode) return insertModeKey(m, msg);
    if (keyUp) return true;
    if (!isKeyDown(msg)) return false;
    return listsModeKey(m, msg);
}

float managerEarthTilt() {
    const LocationsManager& m = gManager;
    if (!m.opening && !m.open && !m.closing) return 1.0f;
    if (m.morphStage != 0) return 0.0f;
    return std::clamp(1.0f - m.morphT, 0.0f, 1.0f);
}

void morphEarthMesh(Mesh& live, const Mesh& from, const Mesh& to, float t) {
    std::vector<MeshVertex>& v = live.editableVertices();
    const std::vector<MeshVertex>& a = from.vertices();
    const std::vector<MeshVertex>& b = to.vertices();
    const std::size_t n = std::min({v.size(), a.size(), b.size()});
    for (std::size_t i = 0; i < n; ++i) {
        v[i].x = a[i].x + (b[i].x - a[i].x) * t;
        v[i].y = a[i].y + (b[i].y - a[i].y) * t;
        v[i].z = a[i].z + (b[i].z - a[i].z) * t;
        v[i].nx = a[i].nx + (b[i].nx - a[i].nx) * t;
        v[i].ny = a[i].ny + (b[i].ny - a[i].ny) * t;
        v[i].nz = a[i].nz + (b[i].nz - a[i].nz) * t;
    }
    live.uploadVertices();
}

void managerFrame(const LocationsFrame& frame) {
    LocationsManager& m = gManager;
    const LocationsBinding& b = locations().bound;
    if (!b.prefs || !frame.scene) return;
    if (m.opening || m.closing) morphStep(m);
    advanceMorph(m, frame.frameMs);

    PlanetObjects& p = planets();
    Mesh* live = p.clones[kLiveShape].get();
    if (live && p.renderer) {
        p.renderer->textureClamp();
        live->world() = frame.scene->earthTransform;
        live->draw();
        drawCloudLayer(*live, *frame.scene);
    }
    if (m.open && !m.closing) drawManagerInterface(frame);
}

} // namespace gv
