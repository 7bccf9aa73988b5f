#pragma once
// The chosen places on the globe: a small red triangle standing on the
// surface and facing the camera, with a label of the place's name (and its
// approximate local time) beside it that grows and fades with the distance.
// On the locations manager's flat map the same marker and label mark a
// place, the highlighted one spinning and pulsing.
#include "core/angles.h"
#include "core/matrix4.h"
#include "core/vector3.h"
#include "formats/location_record.h"

#include <cstdint>
#include <ctime>
#include <memory>

namespace gv {

class Camera;
class Mesh;
class Renderer;
struct SceneState;

inline constexpr float kMarkerSphereRadius = 129.28f;
inline constexpr float kLabelFrontDepth = 0.00001f;
inline constexpr float kLabelBehindDepth = 0.99999f;

// What a frame of markers reads from the scene.
struct LocationsFrame {
    const SceneState* scene = nullptr;
    const Camera* camera = nullptr; // the main camera
    uint32_t frameMs = 0;
    std::tm utc{}; // the displayed instant
    int width = 0, height = 0;
};

struct ScreenProjection {
    float sx = 0, sy = 0;
    float w = 1; // the projected w: larger is farther
};

// Through the view and the projection; the width scales both axes.
ScreenProjection projectToScreen(const Vector3& point, const Matrix4& view,
                                 const Matrix4& projection, int width, int height);

// The marker's place on the globe turned by earthRotation about its axis,
// half a degree north of the place.
Vector3 globeMarkerPoint(const LocationRecord& place, float earthRotation, const Vector3& centre);
// The same on the earth as the scene has it this frame, tilted or not.
Vector3 globeMarkerPoint(const LocationRecord& place, const SceneState& scene);
// The place on the flat map, in the earth's own frame.
Vector3 flatMapPoint(const LocationRecord& place);

struct GlobeLabel {
    float depth;     // in front of everything, or behind the globe
    float scale;     // both text scales
    uint32_t colour; // the palette colour with the label's alpha
};
// A place whose projected w is at most the earth centre's is in front.
GlobeLabel globeLabel(float w, float centreW, uint32_t paletteColour);

// The marker that stands at each shown place: a triangle 3 units wide, point
// down, red whatever the light, seen from both sides, and never hiding the
// labels drawn after it. Null when the mesh cannot be finalised.
std::unique_ptr<Mesh> buildCityMarker(Renderer& renderer);

// Every chosen place, in selection order (the frame's globe pass).
void drawGlobeLocations(const LocationsFrame& frame);
// One place on the flat map; the highlighted one turns a little further
// each call.
void drawManagerLocation(uint32_t index, bool highlighted, const LocationsFrame& frame);
// The spin of the highlighted marker, radians (0 at the start).
float& highlightPhase();

} // namespace gv
