#pragma once
// What the places need from the rest of the globe program: the on-screen
// message, and for the locations manager's flat map the cloud layer (whether
// a cloud map exists and its eight textures). The program connects its own
// objects; tests connect fakes.
#include "core/seam.h"

namespace gv {

class Texture;

class LocationsHost {
  public:
    virtual ~LocationsHost() = default;
    // A title and its second line, shown for the "ONSCREEN MESSAGES" time.
    virtual void postMessage(const char* title, const char* subtitle) = 0;
};

inline LocationsHost& locationsHost() {
    return Seam<LocationsHost>::get();
}
inline void setLocationsHost(LocationsHost* host) {
    Seam<LocationsHost>::connect(host);
}

// The cloud layer as the manager draws it over the flat map.
class ManagerClouds {
  public:
    virtual ~ManagerClouds() = default;
    virtual bool cloudMapExists() = 0;
    // The cloud texture of earth patch 0..7 (the patches' order).
    virtual Texture* cloudTexture(int patch) = 0;
};

inline ManagerClouds& managerClouds() {
    return Seam<ManagerClouds>::get();
}
inline void setManagerClouds(ManagerClouds* clouds) {
    Seam<ManagerClouds>::connect(clouds);
}

} // namespace gv
