#include "scene/cameras.h"

#include "core/angles.h"
#include "core/startup_step.h"
#include "scene/earth_frame.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace gv {

namespace {

CameraSystem gCameras;

constexpr float kRates[5] = {0.0001f, 0.0005f, 0.0025f, 0.01f, 0.1f};
constexpr const char* kSmoothnessNames[5] = {"SUPER SMOOTH", "SMOOTH", "NORMAL", "ROUGH",
                                             "SUPER ROUGH"};

void post(const CameraSystem& cams, uint32_t ms, const char* title, const char* subtitle) {
    if (cams.post) cams.post(ms, title, subtitle);
}

// Points the path from one record's camera position to another's, in the
// path's own slots: a glide allocates nothing.
void pointPath(CameraSystem& cams, int from, int to) {
    cams.path.clear();
    // A fixed departure serves one glide; without a glide there is none.
    if (from == to) cams.fromDeparture = false;
    cams.path.append(cams.fromDeparture ? &cams.departure
                                        : &cams.records[size_t(from)]->position());
    cams.path.append(&cams.records[size_t(to)]->position());
}

// The user and location views: a point d above latitude phi and longitude
// lambda of the earth.
Vector3 overPlace(const Vector3& e, float latitude, float longitude, float d) {
    const Vector3 v = viewDirection(latitude + 0.0085f, wrapSigned(longitude));
    return {e.x + v.x * d, e.y + v.y * d, e.z + v.z * d};
}

bool followsEarth(const CameraSystem& cams) {
    return isOn(cams.prefs->userCameraFollowsEarth);
}

// The user and location views, turned with the earth when they follow it:
// about y by the spin, or with the tilted earth's whole rotation.
Vector3 overPlaceOnEarth(const CameraSystem& cams, float latitude, float longitude, float d) {
    const CameraInputs& in = cams.inputs;
    if (!followsEarth(cams)) return overPlace(in.earthPosition, latitude, longitude, d);
    if (!in.earthTilted) return overPlace(in.earthPosition, latitude, longitude + in.earthYaw, d);
    return in.earthPosition + earthToWorld(in.earthRotation, overPlace({}, latitude, longitude, d));
}

// A view direction must not run along its up direction.
Vector3 usableUp(const Vector3& up, const Vector3& direction, const Vector3& other) {
    const float d = length(direction);
    if (length(cross(up, direction)) > 1e-3f * d) return up;
    if (length(cross(other, direction)) > 1e-3f * d) return other;
    return {0.0f, 0.0f, 1.0f};
}

// The sun view's shift, given in the scene's axes as they stand on 1 January
// (the earth on +x, the sun straight along -x from it), turned about the
// orbit's axis with the line from the sun to the earth. On that date the
// shift (-96 z, -48 z, 0) moves the camera further out along the line and
// below it; turned with the line it does so on every date, so that the sun
// always stands above the earth in the middle of the picture. Fixed axes
// would, in June, put the camera between the sun and the earth.
Vector3 turnedWithSunLine(const Vector3& shift, const Vector3& towardsSun) {
    Vector3 out{-towardsSun.x, 0.0f, -towardsSun.z}; // sun to earth, in the orbit's plane
    const float l = length(out);
    if (!(l > 0.0f)) return shift;
    out = out * (1.0f / l);
    const Vector3 across{-out.z, 0.0f, out.x}; // where +z goes when +x goes to out
    return shift.x * out + Vector3{0.0f, shift.y, 0.0f} + shift.z * across;
}

} // namespace

float transitionRate(int32_t smoothness) {
    if (smoothness < 0 || smoothness > 4) smoothness = 1;
    return kRates[smoothness];
}

const char* smoothnessName(int32_t smoothness) {
    if (smoothness < 0 || smoothness > 4) smoothness = 1;
    return kSmoothnessNames[smoothness];
}

CameraSystem& cameras() {
    return gCameras;
}

bool createCameras(Preferences& prefs, uint16_t width, uint16_t height, const Vector3& earth,
                   bool& failedMain) {
    CameraSystem& c = gCameras;
    c.prefs = &prefs;
    failedMain = false;
    for (auto& r : c.records) {
        r = makeStepObject<Camera>(prefs.fieldOfView, width, height);
        if (!r) return false;
        r->setNear(kCameraNear);
        r->setFar(kCameraFar);
    }
    c.main = makeStepObject<Camera>(prefs.fieldOfView, width, height);
    if (!c.main) {
        failedMain = true;
        return false;
    }
    const Camera& current = *c.records[size_t(c.current())];
    c.main->setNear(current.nearPlane());
    c.main->setFar(current.farPlane());
    c.main->setFov(prefs.fieldOfView);
    c.main->setPosition(earth);
    c.main->lookAt(earth);
    c.previous = c.current();
    c.t = 0.0f;
    c.restart = true;
    c.fromDeparture = false;
    c.path = SplinePath();
    c.timerMs = 0;
    c.inputs.earthPosition = earth;
    return true;
}

void destroyCameras() {
    CameraSystem& c = gCameras;
    c.path = SplinePath();
    for (auto& r : c.records)
        r.reset();
    c.main.reset();
}

void placeRecord(CameraSystem& cams, int index, float elapsedMs) {
    CameraSetting& rec = cams.prefs->cameras[index];
    Camera& cam = *cams.records[size_t(index)];
    const CameraInputs& in = cams.inputs;
    const Vector3 e = in.earthPosition;
    const float d = float(rec.distance);
    const float a = rec.orbitAngle;
    Vector3 p;
    switch (index) {
    case 0:
        p = {e.x + std::sin(a) * d, 0.0f, e.z + std::cos(a) * d};
        break;
    case 1:
        p = {e.x + std::sin(a) * d, std::cos(a / 2.0f) * d * 0.75f, e.z + std::cos(a) * d};
        break;
    case 2:
        p = {e.x + std::sin(a) * d, d, e.z + std::cos(a) * d};
        break;
    case 3:
        p = {e.x + std::sin(a) * d, -d, e.z + std::cos(a) * d};
        break;
    case 4: {
        // Beyond the sun, shifted so that the sun stands above the centre.
        const Vector3 s = in.sunPosition;
        const Vector3 u = normalize(s - e);
        const float z = float(cams.prefs->sunSize);
        p = s + 192.0f * u + turnedWithSunLine({-96.0f * z, -48.0f * z, 0.0f}, u);
        break;
    }
    case 5: {
        const Vector3 m = in.moonPosition;
        p = m + 320.0f * normalize(m - e);
        break;
    }
    case kUserView:
        p = overPlaceOnEarth(cams, cams.prefs->userLatitude, cams.prefs->userLongitude, d);
        break;
    default:
        // Turns with the earth as the user view does: the locations manager
        // keeps its flat map in view this way.
        p = overPlaceOnEarth(cams, in.locationLatitude, in.locationLongitude, d);
        break;
    }
    cam.setPosition(p);
    cam.setUp(recordUp(cams, index));
    cam.lookAt(e);
    // Kept within one turn: sin and cos see the same angle either way.
    rec.orbitAngle = std::fmod(a + elapsedMs * rec.orbitSpeed, 4.0f * kPi);
}

Vector3 recordUp(const CameraSystem& cams, int index) {
    const CameraInputs& in = cams.inputs;
    const bool overAPlace = index == kUserView || index == kLocationView;
    if (overAPlace && in.earthTilted && followsEarth(cams)) return in.earthAxis;
    return {0.0f, 1.0f, 0.0f};
}

float correctCourse(Vector3& point, const Vector3& earth) {
    const float r = distance(earth, point);
    if (r >= kClosestApproach) return 0.0f;
    const float k = (kClosestApproach - r) * 0.005f;
    point = earth + kClosestApproach * normalize(point - earth);
    return k;
}

void updateCameras(CameraSystem& cams, uint32_t frameMs, uint32_t smoothedMs) {
    Preferences& p = *cams.prefs;
    const float elapsed = float(smoothedMs);
    int current = cams.current();
    placeRecord(cams, current, elapsed);
    if (cams.previous != current) placeRecord(cams, cams.previous, elapsed);

    if (isOn(p.cameraChangingAutomatic) && current != kUserView) {
        cams.timerMs += frameMs;
        if (cams.timerMs >= p.cameraChangeTime && cams.t == 0.0f) {
            // The cycle visits 0..5; the user and location views are never
            // chosen automatically.
            current += 1;
            if (current >= kCameraCount - 2) current = 0;
            p.currentCamera = current;
            cams.restart = true;
            post(cams, p.messageTime, "CAMERA SELECTED", cameraNameText(p.cameras[current]).text);
            cams.timerMs = 0;
        }
    }

    if (cams.path.count() == 0) pointPath(cams, cams.previous, current);
    if (cams.restart) {
        cams.restart = false;
        pointPath(cams, cams.previous, current);
    }
    if (cams.previous != current) cams.t += elapsed * transitionRate(p.cameraSmoothness);
    if (cams.t >= 1.0f) {
        cams.t = 0.0f;
        pointPath(cams, current, current);
        cams.previous = current;
        post(cams, p.messageTime, "CAMERA CHANGING", "COMPLETED");
    }
    Vector3 at = cams.path.evaluate(cams.t);
    const Vector3 e = cams.inputs.earthPosition;
    cams.lastCorrection = correctCourse(at, e);
    if (cams.lastCorrection > 0.0f) {
        char text[32];
        std::snprintf(text, sizeof text, "%.2f percent", double(cams.lastCorrection * 100.0f));
        post(cams, kCourseCorrectionMs, "COURSE CORRECTION", text);
    }
    // The up direction glides with the position, eased the same way.
    const float s = cams.t * cams.t * (3.0f - 2.0f * cams.t);
    const Vector3 from = recordUp(cams, cams.previous), to = recordUp(cams, current);
    Vector3 up = normalize(lerp(from, to, s));
    up = usableUp(up, e - at, cams.inputs.earthAxis);
    cams.main->setPosition(at);
    cams.main->setUp(up);
    cams.main->lookAt(e);
}

bool selectAdjacentCamera(CameraSystem& cams, bool forward) {
    Preferences& p = *cams.prefs;
    if (cams.t != 0.0f) {
        post(cams, p.messageTime, "CAMERA CHANGING IN COURSE", "NAVIGATION SYSTEM BUSY");
        return false;
    }
    int i = cams.current();
    // The keys visit records 0..6; the location view is chosen elsewhere.
    if (forward)
        i = i >= kUserView ? 0 : i + 1;
    else
        i = i <= 0 ? kUserView : i - 1;
    selectCamera(cams, i);
    return true;
}

void selectCamera(CameraSystem& cams, int index) {
    Preferences& p = *cams.prefs;
    p.currentCamera = clampedCameraIndex(index);
    cams.restart = true;
    post(cams, p.messageTime, "CAMERA SELECTED", cameraNameText(p.cameras[p.currentCamera]).text);
}

void glideFromView(CameraSystem& cams) {
    if (cams.main) {
        cams.departure = cams.main->position();
        cams.fromDeparture = true;
    }
    cams.restart = true;
}

void setFov(CameraSystem& cams, float radians) {
    cams.prefs->fieldOfView = radians;
    if (cams.main) cams.main->setFov(radians);
}

} // namespace gv
