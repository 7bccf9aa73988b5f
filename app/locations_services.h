#pragma once
// The locations manager as the window procedure sees it: its keyboard claim
// and its open and close.
#include "core/seam.h"
#include "platform/messages.h"

namespace gv {

class LocationsServices {
  public:
    virtual ~LocationsServices() = default;
    virtual bool managerHasKeyboard() = 0;
    // True when the manager took the message.
    virtual bool managerHandleKey(const platform::WindowMessage& msg) = 0;
    virtual bool managerOpen() = 0;
    virtual bool managerOpening() = 0;
    virtual bool managerClosing() = 0;
    // Claims the keyboard and starts opening.
    virtual void openManager() = 0;
    virtual void startClosingManager() = 0;
};

inline LocationsServices& locationsServices() {
    return Seam<LocationsServices>::get();
}
inline void setLocationsServices(LocationsServices* s) {
    Seam<LocationsServices>::connect(s);
}

} // namespace gv
