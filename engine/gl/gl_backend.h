#pragma once
// The OpenGL 3.3 core backend on the program's SDL window.
#include "engine/render_backend.h"

#include <memory>

namespace gv {

namespace platform {
class Window;
}

// The window must outlive the backend. The GL context is made when the
// display device first creates its surfaces.
std::unique_ptr<RenderBackend> createGlBackend(platform::Window& window);

} // namespace gv
