#pragma once
// The 3D part of one frame, in its fixed order: earth placement, earth and
// clouds (or the locations manager's view), moon, sun pass, stars, and the
// camera move that the next frame sees.
#include "formats/preferences.h"
#include "scene/scene_state.h"
#include "scene/sim_clock.h"

#include <cstdint>

namespace gv {

class Mesh;

struct FrameTimes {
    uint32_t frameMs = 0;
    uint32_t smoothedMs = 0;
    uint32_t frameCounter = 0;
};

// What other subsystems add to the frame; each may be left empty.
struct SceneFrameHooks {
    // True while the locations manager is opening, open or closing.
    bool (*locationsManagerOnScreen)() = nullptr;
    // Its own frame, drawn in place of the earth, clouds and markers.
    void (*locationsManagerFrame)() = nullptr;
    // The cloud layer, when it exists.
    Mesh* (*cloudLayer)() = nullptr;
    // Starts a cloud update when one is due.
    void (*cloudUpdateIfDue)() = nullptr;
    void (*drawLocationMarkers)() = nullptr;
    // How far the earth's axis is tilted with "TRUE SEASONS", 0..1: the
    // locations manager straightens it while it shows its upright map.
    float (*earthTiltShare)() = nullptr;
};

SceneFrameHooks& sceneFrameHooks();

// Steps 3 to 8 of the frame, between begin-frame and the overlays.
void composeScene(SceneState& state, const ClockSample& clock, const FrameTimes& times,
                  Preferences& prefs);

} // namespace gv
