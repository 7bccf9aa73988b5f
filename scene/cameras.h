#pragma once
// The eight view records (four orbits, behind the sun, behind the moon, the
// user's view and the view over the selected place) and the main camera that
// rides on the current record or glides from the previous one to it.
#include "core/spline_path.h"
#include "engine/mesh.h"
#include "formats/preferences.h"
#include "scene/scene_state.h"

#include <array>
#include <cstdint>
#include <memory>

namespace gv {

class Renderer;

inline constexpr int kUserView = 6;
inline constexpr int kLocationView = 7;
inline constexpr float kCameraNear = 1.0f;
inline constexpr float kCameraFar = 3500.0f;
inline constexpr float kClosestApproach = 200.0f;
inline constexpr uint32_t kCourseCorrectionMs = 250;

// t per millisecond of smoothed frame time for "CAMERA MOVEMENT SMOOTHNESS".
float transitionRate(int32_t smoothness);
const char* smoothnessName(int32_t smoothness);

// How the cameras tell the user about a change (the on-screen message).
using CameraMessageSink = void (*)(uint32_t durationMs, const char* title, const char* subtitle);

// What the records are placed from, refreshed by the caller each frame.
struct CameraInputs {
    Vector3 sunPosition; // the sun mesh's position (the origin)
    float earthYaw = 0.0f;
    Vector3 earthPosition;
    Vector3 moonPosition;
    // The selected place of the location view, radians.
    float locationLatitude = 0.0f, locationLongitude = 0.0f;
    // With "TRUE SEASONS" the views over a place turn with the tilted earth
    // (by the rotation part of earthRotation) and keep its north up.
    bool earthTilted = false;
    Matrix4 earthRotation = Matrix4::identity();
    Vector3 earthAxis{0.0f, 1.0f, 0.0f};
};

struct CameraSystem {
    Preferences* prefs = nullptr;
    CameraMessageSink post = nullptr;
    // One camera per record; their positions are the path's control points.
    std::array<std::unique_ptr<Camera>, kCameraCount> records;
    std::unique_ptr<Camera> main;

    // Transition state: the current index lives in the preferences
    // ("selected camera").
    int previous = 0;
    float t = 0.0f; // 0 while idle
    bool restart = false;
    SplinePath path;
    uint32_t timerMs = 0;
    CameraInputs inputs;
    // The last course correction's share of the 200-unit floor, 0..1.
    float lastCorrection = 0.0f;
    // A glide that leaves from a fixed point, where the view was, instead of
    // from the previous record (glideFromView); until that glide ends.
    Vector3 departure;
    bool fromDeparture = false;

    int current() const { return clampedCameraIndex(prefs->currentCamera); }
    bool transitionRunning() const { return t != 0.0f; }
};

CameraSystem& cameras();

// Makes the eight record cameras and the main camera (start-up): the records
// with the field of view, near 1 and far 3500; the main camera with the
// display size, near and far from the current record, placed at the earth's
// centre looking at it until the first update moves it. False when a camera
// cannot be made (which one in failedMain).
bool createCameras(Preferences& prefs, uint16_t width, uint16_t height, const Vector3& earth,
                   bool& failedMain);
void destroyCameras();

// Moves a record for this frame and advances its orbit angle.
void placeRecord(CameraSystem& cams, int index, float elapsedMs);

// Once per frame after the scene is drawn: automatic change, glide, course
// correction, main camera. frameMs drives the automatic timer, smoothedMs the
// motion.
void updateCameras(CameraSystem& cams, uint32_t frameMs, uint32_t smoothedMs);

// The camera keys: next (true) or previous record among 0..6, only while no
// transition runs; otherwise "CAMERA CHANGING IN COURSE" is posted. Returns
// whether the selection changed.
bool selectAdjacentCamera(CameraSystem& cams, bool forward);
// The next glide leaves from where the main camera is now rather than from
// the previous record, which its caller is about to move (the locations
// manager's closing puts back the settings that place its record).
void glideFromView(CameraSystem& cams);
// Selects a record directly (the location view from the locations side).
void selectCamera(CameraSystem& cams, int index);
// The options overlay's field-of-view change, applied to the main camera.
void setFov(CameraSystem& cams, float radians);

// The up direction of a record's view: the earth's axis for the views over
// a place on the tilted earth, else the world's y.
Vector3 recordUp(const CameraSystem& cams, int index);

// Course correction of a glide point: pushed out to 200 units from the
// earth's centre; returns (200 - r) * 0.005 when it acted, else 0.
float correctCourse(Vector3& point, const Vector3& earth);

} // namespace gv
