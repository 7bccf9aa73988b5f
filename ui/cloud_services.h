#pragma once
// The cloud updater as the options overlay sees it.
#include "core/seam.h"

namespace gv {

class CloudServices {
  public:
    virtual ~CloudServices() = default;
    // A download is requested or being received.
    virtual bool cloudDownloadRunning() = 0;
};

inline CloudServices& cloudServices() {
    return Seam<CloudServices>::get();
}
inline void setCloudServices(CloudServices* s) {
    Seam<CloudServices>::connect(s);
}

} // namespace gv
