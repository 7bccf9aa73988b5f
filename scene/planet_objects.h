#pragma once
// The earth, the sun and the moon: their meshes at the chosen resolution,
// their textures and materials, and the four earth clones that the locations
// manager blends to unroll the globe.
#include "engine/mesh.h"
#include "formats/preferences.h"

#include <array>
#include <cstdint>
#include <memory>

namespace gv {

class DisplayDevice;
class Renderer;
class Texture;

inline constexpr int kMeshLevelCount = 7;
inline constexpr float kEarthRadius = 128.0f;
inline constexpr float kSunRadius = 48.0f;
inline constexpr float kMoonRadius = 32.0f;
inline constexpr int kEarthPatches = 8;
// The rim's and the glow's strengths with "ATMOSPHERE" on.
inline constexpr float kAirRimStrength = 0.55f;
inline constexpr float kAirShellStrength = 0.8f;
inline constexpr int kMorphClones = 4;

// Slice and stack count of a resolution level (0..6); out-of-range levels
// take the default level 3.
int meshResolution(int32_t level);
// "ULTRA LOW" .. "ULTRA HIGH".
const char* meshResolutionName(int32_t level);

// The globe: eight quarter-hemisphere patches, patch i with material
// firstMaterial + i (northern 0..3, southern 4..7). Tile tops lie at the
// northern pole and on the equator of the southern tiles.
std::unique_ptr<Mesh> buildEightPatchSphere(Renderer& renderer, float radius, int n,
                                            int32_t firstMaterial);
// Sun and moon: a latitude-longitude sphere with a seam column; flattenV
// projects the texture straight from top to bottom.
std::unique_ptr<Mesh> buildUvSphere(Renderer& renderer, float radius, int slices, int stacks,
                                    int32_t material, bool flattenV);
// The earth clones: eight q x q grids with the same vertex and face order
// whatever the shape, so that they blend vertex by vertex.
std::unique_ptr<Mesh> buildMorphSphere(Renderer& renderer, float radius, int n,
                                       int32_t firstMaterial, bool flat, float factor);

struct PlanetObjects {
    Renderer* renderer = nullptr;
    DisplayDevice* display = nullptr;
    Preferences* prefs = nullptr;

    bool earthReserved = false;
    uint32_t earthMaterial0 = 0;
    std::array<std::unique_ptr<Texture>, kEarthPatches> earthTextures;
    // The city lights, tiled as the day map (bitmaps 151..158); a tile
    // without one shows no lights.
    std::array<std::unique_ptr<Texture>, kEarthPatches> nightTextures;
    std::unique_ptr<Mesh> earth;
    // The ring of air round the disc ("ATMOSPHERE", air_shell.h), with its
    // material; none when it could not be made, which costs only the look.
    bool airReserved = false;
    uint32_t airMaterial = 0;
    std::unique_ptr<Mesh> airRing;
    std::array<std::unique_ptr<Mesh>, kMorphClones> clones;

    bool sunReserved = false;
    uint32_t sunMaterial = 0;
    std::unique_ptr<Texture> sunTexture;
    std::unique_ptr<Mesh> sun;

    bool moonReserved = false;
    uint32_t moonMaterial = 0;
    std::unique_ptr<Texture> moonTexture;
    std::unique_ptr<Mesh> moon;

    // The cloud layer's build (true when the layer exists afterwards); none
    // until the clouds are part of the program, which then fails honestly.
    bool (*buildCloudLayer)() = nullptr;
    // Called when the layer could not be built and satellite clouds are on.
    void (*startCloudDownload)() = nullptr;
};

// The process-wide planet objects.
PlanetObjects& planets();
// Before the first build: where the objects live and what they read.
void bindPlanets(Renderer& renderer, DisplayDevice& display, Preferences& prefs);
// Releases meshes and textures while the renderer still exists (tests and
// the end of a run); the reserved slots are forgotten too.
void releasePlanets();

// Each logs its own lines; false ends the start-up.
bool buildEarth();
bool buildSun();
bool buildMoon();
void destroyEarth();

// The earth's own shading for the next draws: the city lights on its night
// side and the rim of air on its lit limb, each when on (the flat map of the
// locations manager has neither).
void setEarthSurface(bool nightLights, bool atmosphere);

// Applies "EARTH SPECULARITY" / "EARTH SPECULARITY POWER" to the eight earth
// materials at once.
void setEarthSpecularLevel(float level);
void setEarthSpecularPower(float power);

} // namespace gv
