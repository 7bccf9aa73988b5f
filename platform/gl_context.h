#pragma once
// An OpenGL 3.3 core context on an SDL window. Only the engine's GL backend
// and the program's start-up use it; nothing else sees the context type.
#include <memory>
#include <string>

struct SDL_Window;

namespace gv::platform {

class GlContext {
  public:
    // Asks for 3.3 core with a double-buffered default framebuffer. The depth
    // buffer lives in the engine's own framebuffer, so none is asked here.
    // Null on failure; error() then holds the video layer's text.
    static std::unique_ptr<GlContext> create(SDL_Window* window, std::string& error);
    ~GlContext();
    GlContext(const GlContext&) = delete;
    GlContext& operator=(const GlContext&) = delete;

    void makeCurrent();
    void swap();
    // 1 waits for the display refresh, 0 does not. The system may refuse
    // (Xvfb does); false then, which is not an error for the caller.
    bool setSwapInterval(int interval);
    // Size of the window's drawable in pixels.
    void drawableSize(int& w, int& h) const;
    SDL_Window* window() const { return window_; }

  private:
    GlContext(SDL_Window* w, void* ctx) : window_(w), context_(ctx) {}
    SDL_Window* window_;
    void* context_;
};

} // namespace gv::platform
