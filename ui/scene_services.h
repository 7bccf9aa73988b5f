#pragma once
// What the options overlay changes in the scene at once.
#include "core/seam.h"

namespace gv {

class SceneServices {
  public:
    virtual ~SceneServices() = default;
    virtual void setFieldOfView(float radians) = 0;      // the main camera
    virtual void setEarthSpecularPower(float power) = 0; // the eight earth materials
    virtual void setEarthSpecularLevel(float level) = 0; // their specular (v, v, v, 1)
    virtual void setAmbientLight(float level) = 0;       // renderer ambient (v, v, v)
    virtual void setBilinearFiltering(bool on) = 0;      // renderer filtering
    virtual void rebuildEarth() = 0;                     // also the locations' meshes
    virtual void rebuildSunAndMoon() = 0;                // and the moon recomputed next frame
};

inline SceneServices& sceneServices() {
    return Seam<SceneServices>::get();
}
inline void setSceneServices(SceneServices* s) {
    Seam<SceneServices>::connect(s);
}

} // namespace gv
