#pragma once
// A planet's own shading, beyond what texture stage 0 does, worked out per
// pixel from the surface normal, the direction to the light and the view:
// the night map added where the sun is down, the rim of air on the lit limb,
// and the glow of the air round the disc, on a ring whose first texture
// coordinate runs from 1 at the planet's limb to 0 at the air's outer edge.
// Not a Direct3D state: materials carry it and the renderer sends it with
// each material.
#include "engine/device_types.h"

#include <cstdint>

namespace gv {

enum class SurfaceShading : uint32_t {
    None = 0,
    Planet = 1,   // the night map and the rim on the planet's own faces
    AirShell = 2, // a ring round the planet's disc
};

struct SurfaceEffects {
    SurfaceShading shading = SurfaceShading::None;
    uint32_t nightTexture = 0; // Planet: added on the night side; 0 none
    float air = 0.0f;          // Planet: the rim's strength; AirShell: the glow's; 0 none
    bool operator==(const SurfaceEffects&) const = default;
};

// The twilight band: the night map fades in as the sun sinks from 6° above
// the horizon to 6° below it.
inline constexpr float kTwilightSine = 0.104528463f; // sin 6°

// The share of the night map at a point where the sine of the sun's altitude
// is sunSine (the surface normal dotted with the direction to the sun): 0
// with the sun 6° or more above the horizon, 1 at 6° or more below, 1/2 on
// the horizon, smooth (3t² - 2t³) between. The shader computes the same.
float twilightWeight(float sunSine);

// The colour of the air's rim and glow, a daylight-sky blue.
inline constexpr ColorValue kAirColour{0.35f, 0.62f, 1.0f, 1.0f};

} // namespace gv
