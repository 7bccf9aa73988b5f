#pragma once
// What the window procedure asks of the cameras.
#include "core/seam.h"
#include "scene/earth_frame.h"

namespace gv {

class CameraServices {
  public:
    virtual ~CameraServices() = default;
    // The transition parameter t; a camera change is under way while it is
    // not exactly 0.
    virtual float cameraTransition() = 0;
    // F7 / F8: the previous or next of the cameras the keys visit, with its
    // message; refused with "CAMERA CHANGING IN COURSE" while a glide runs.
    virtual void selectAdjacentCamera(bool forward) = 0;
    // The place on the earth below a view that stands still in space over
    // this latitude and longitude of the scene (radians).
    virtual GeoPoint groundBelow(float latitude, float longitude) = 0;
};

inline CameraServices& cameraServices() {
    return Seam<CameraServices>::get();
}
inline void setCameraServices(CameraServices* s) {
    Seam<CameraServices>::connect(s);
}

} // namespace gv
