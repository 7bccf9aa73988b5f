#pragma once
// The cloud updater as the options overlay sees it.
#include "core/seam.h"

#include <cstdint>
#include <optional>

namespace gv {

class CloudServices {
  public:
    virtual ~CloudServices() = default;
    // An update runs: a download is requested or being received, or its
    // picture made into the cloud map.
    virtual bool cloudDownloadRunning() = 0;
    // Seconds on the machine's clock since the stored start of the last
    // update; nothing when there was none.
    virtual std::optional<int64_t> secondsSinceCloudUpdate() = 0;
};

inline CloudServices& cloudServices() {
    return Seam<CloudServices>::get();
}
inline void setCloudServices(CloudServices* s) {
    Seam<CloudServices>::connect(s);
}

} // namespace gv
