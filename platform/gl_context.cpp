#include "platform/gl_context.h"

#include <SDL.h>

namespace gv::platform {

std::unique_ptr<GlContext> GlContext::create(SDL_Window* window, std::string& error) {
    if (!window) {
        error = "no window";
        return nullptr;
    }
    // The attributes must be in place before the context is made, or the
    // driver hands out a compatibility context.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GLContext ctx = SDL_GL_CreateContext(window);
    if (!ctx) {
        error = SDL_GetError();
        return nullptr;
    }
    return std::unique_ptr<GlContext>(new GlContext(window, ctx));
}

GlContext::~GlContext() {
    if (context_) SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context_));
}

void GlContext::makeCurrent() {
    SDL_GL_MakeCurrent(window_, static_cast<SDL_GLContext>(context_));
}

void GlContext::swap() {
    SDL_GL_SwapWindow(window_);
}

bool GlContext::setSwapInterval(int interval) {
    return SDL_GL_SetSwapInterval(interval) == 0;
}

void GlContext::drawableSize(int& w, int& h) const {
    SDL_GL_GetDrawableSize(window_, &w, &h);
}

} // namespace gv::platform
