#pragma once
// What the window procedure and the overlays reach outside their own state:
// the camera code's transition, the earth's spin, the locations manager, the
// pointer, and everything the overlays need (UiHost). One object of the
// program implements it over the driver's objects; tests put in fakes.
#include "platform/messages.h"
#include "platform/window.h"
#include "ui/ui_host.h"

namespace gv {

struct ScreenPoint {
    int x = 0, y = 0;
};

class InputServices : public UiHost {
  public:
    // --- camera code ---
    // The transition parameter t; a camera change is under way while it is
    // not exactly 0.
    virtual float cameraTransition() = 0;
    // Makes the next camera step start a glide to the current camera.
    virtual void restartCameraPath() = 0;
    // The earth's current rotation angle, radians.
    virtual float earthRotation() = 0;

    // --- locations manager ---
    virtual bool managerHasKeyboard() = 0;
    // True when the manager took the message.
    virtual bool managerHandleKey(const platform::WindowMessage& msg) = 0;
    virtual bool managerOpen() = 0;
    virtual bool managerOpening() = 0;
    virtual bool managerClosing() = 0;
    // Claims the keyboard and starts opening.
    virtual void openManager() = 0;
    virtual void startClosingManager() = 0;

    // --- pointer ---
    virtual ScreenPoint clientToScreen(int x, int y) = 0;
    virtual void setCursorPosition(ScreenPoint p) = 0;
    virtual void setCursor(platform::SystemCursor cursor) = 0;
};

InputServices& inputServices();
void setInputServices(InputServices* services);

// The program's own services over the driver's objects, connected as both the
// input services and the overlays' host.
void connectProgramServices();

} // namespace gv
