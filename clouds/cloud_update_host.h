#pragma once
// What the cloud updater needs from the program: the live preferences, the
// program folder, the machine's local time, the on-screen message and the
// cloud layer that shows a new map.
#include "clouds/cloud_map.h"
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
    // The local time of the machine's clock, without the extra seconds the
    // simulated clock runs ahead by: the schedule keeps to real time.
    virtual std::tm realLocalTime() = 0;
    // A message shown for the preferences' message time.
    virtual void postMessage(const char* title, const char* subtitle) = 0;
    // Shows the map made from the new "clouds.sat" on the cloud layer; true
    // when the new clouds are in place.
    virtual bool showCloudMap(CloudMap map) = 0;
};

inline CloudUpdateHost& cloudUpdateHost() {
    return Seam<CloudUpdateHost>::get();
}
inline void setCloudUpdateHost(CloudUpdateHost* host) {
    Seam<CloudUpdateHost>::connect(host);
}

} // namespace gv
