#pragma once
// What the cloud updater needs from the program: the live preferences, the
// program folder, the frame's local time, the on-screen message and the
// cloud layer's rebuild from the downloaded image.
#include "core/seam.h"
#include "formats/preferences.h"

#include <ctime>
#include <string>

namespace gv {

class CloudUpdateHost {
  public:
    virtual ~CloudUpdateHost() = default;
    virtual Preferences& preferences() = 0;
    // Ends with the path separator; file names are appended to it.
    virtual std::string programFolder() = 0;
    // The simulated local time of this frame.
    virtual std::tm localTime() = 0;
    // A message shown for the preferences' message time.
    virtual void postMessage(const char* title, const char* subtitle) = 0;
    // Rebuilds the cloud layer from "clouds.sat", not from the cache; true
    // when the new clouds are in place.
    virtual bool rebuildCloudLayer() = 0;
};

inline CloudUpdateHost& cloudUpdateHost() {
    return Seam<CloudUpdateHost>::get();
}
inline void setCloudUpdateHost(CloudUpdateHost* host) {
    Seam<CloudUpdateHost>::connect(host);
}

} // namespace gv
