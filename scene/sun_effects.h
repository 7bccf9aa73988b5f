#pragma once
// The sun pass of a frame (the sun as billboards or a mesh, whether the
// earth or the moon hides it, the earth's glow, the white wash and the seven
// lens flares) and the star field around the earth.
#include "engine/device_types.h"
#include "engine/mesh.h"
#include "formats/preferences.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace gv {

class DisplayDevice;
class Renderer;
class Texture;

// Scale of "SUN SIZE" / "LENS FLARES SIZE" 1..5 (0 for anything else).
float effectSize(int32_t option);

// Where the sun falls on the screen of a camera.
struct SunOnScreen {
    bool inFront = false; // false: behind the camera, nothing of the pass is drawn
    float nx = 0, ny = 0; // normalised screen position, ny scaled by the aspect
    float sx = 0, sy = 0; // pixels, sy counted upward from the bottom edge
    float d = 0;          // distance of the sun from the screen centre (about 1 at the edges)
    float ux = 0, uy = 0; // unit vector (nx, -ny) or zero
    float depth = 0;      // the depth the sun's centre projects to, 0..1
};
SunOnScreen projectSun(const Vector3& sun, const Camera& camera, float width, float height);

// The sun is hidden when the depth stored at its pixel lies nearer than the
// depth of the sun's own centre: only something drawn in front of the sun
// (the earth, the moon) stores such a value. Both as the buffer holds them,
// as integers of a depth buffer with that many bits.
bool sunHiddenByDepth(float storedDepth, float sunDepth, uint32_t depthBits);

// The glow's scale before the pulse: 1.4 - d, at most 0.8 (only for d < 1.4).
float glowScale(float d);
// The white wash's alpha 0..50 (only for d <= 0.7).
uint32_t overbrightAlpha(float d);
// The flares' alpha 0..128.
uint32_t flareAlpha(float d);

struct FlareElement {
    float offset, sizeFactor;
    uint32_t rgb;
    int kind; // which halo texture, 0..2
};
inline constexpr int kFlareCount = 7;
extern const std::array<FlareElement, kFlareCount> kFlareElements;
// Centre of flare i in screen pixels (y downward).
void flareCentre(int i, const SunOnScreen& sun, float width, float height, float& x, float& y);

// The sprites are cut into a grid of cells, and only the cells where their
// texture is not black (or lies a texel from such a texel, which bilinear
// filtering reads) are drawn: black adds nothing to the sky behind a sprite.
inline constexpr int kBoardGrid = 32; // the sun's billboards and the glow
inline constexpr int kFlareGrid = 16; // the lens flares
// Row by row, true for a cell to draw.
std::vector<bool> litCells(const Texture& texture, int grid);
// A billboard 360 units square facing -z in the material, over the given
// cells of a kBoardGrid grid (litCells of its texture); null when the mesh
// cannot be finalised.
std::unique_ptr<Mesh> buildBillboard(Renderer& renderer, const std::vector<bool>& cells,
                                     uint32_t material);

inline constexpr int kStarCount = 2048;
struct Star {
    Vector3 position; // relative to the earth's centre
    uint32_t colour;  // grey 0x00GGGGGG
};
// The same sky on every run: the generator starts from seed 1.
void generateStars(std::array<Star, kStarCount>& stars);

struct SunEffects {
    Renderer* renderer = nullptr;
    DisplayDevice* display = nullptr;
    Preferences* prefs = nullptr;

    std::unique_ptr<Texture> flareTexture;
    std::array<std::unique_ptr<Texture>, 3> halos;
    std::unique_ptr<Texture> glowTexture;
    uint32_t flareMaterial = 0;
    // The billboard of the sun's glare (its lit cells) and of the glow.
    std::unique_ptr<Mesh> billboard;
    std::unique_ptr<Mesh> glowBoard;
    // Each halo's lit cells as indices into a flare's grid of vertices.
    std::array<std::vector<uint16_t>, 3> haloCells;
    std::array<ScreenVertex, (kFlareGrid + 1) * (kFlareGrid + 1)> flareVertices{};

    std::array<Star, kStarCount> stars{};
    std::array<LitVertex, kStarCount> starVertices{};

    float sunSpin = 0.0f;
    // What the last sun pass found (for tests and the report of a frame).
    SunOnScreen lastSun;
    bool lastHidden = false;
    bool lastFlaresDrawn = false;
};

SunEffects& sunEffects();

// Start-up "Creating lens flares": textures, the flare material and the
// billboard. Logs its own result.
bool buildLensFlares(Renderer& renderer, DisplayDevice& display, Preferences& prefs);
// Start-up "Creating star field".
void buildStarField();
void releaseSunEffects();

// The sun pass (when "SUN" is on): placement, occlusion, sun, glow, wash,
// flares. sun is the sun mesh (may be null), light the scene light.
void sunPass(SunEffects& fx, Mesh* sun, const Camera& camera, const Vector3& earthPosition,
             uint32_t smoothedMs);
// The star pass (when "STARS" is on).
void drawStars(SunEffects& fx, const Vector3& earthPosition);

} // namespace gv
