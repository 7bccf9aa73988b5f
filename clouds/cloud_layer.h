#pragma once
// The cloud layer round the globe: the cloud map made from the satellite
// picture "clouds.sat" (or read back from its cache "clouds.tga"), eight
// 256 x 256 tile textures, eight translucent materials and a sphere of
// radius 131 just outside the earth's 128 that wears them.
#include "clouds/cloud_map.h"
#include "formats/preferences.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace gv {

class DisplayDevice;
class Mesh;
class Renderer;
class Texture;

inline constexpr float kCloudSphereRadius = 131.0f;
inline constexpr const char* kCloudImageFile = "clouds.sat";
inline constexpr const char* kCloudCacheFile = "clouds.tga";

class CloudLayer {
  public:
    CloudLayer();
    ~CloudLayer();
    CloudLayer(const CloudLayer&) = delete;
    CloudLayer& operator=(const CloudLayer&) = delete;

    // Where the layer lives and what it reads; programFolder ends with its
    // separator.
    void bind(Renderer& renderer, DisplayDevice& display, const Preferences& prefs,
              std::string programFolder);

    // Makes the map from the cache when useCache is set and the cache is
    // good, else from the satellite picture (then filtered, and cached once
    // the layer shows it). A build with the cache, or the first build, makes
    // the textures, materials and sphere; a later build without it only
    // replaces the pixels. False leaves what was on screen as it was.
    bool build(bool useCache);
    // Why the last build refused the satellite picture, when its decoder
    // said (a JPEG or PNG its library could not read). A build without the
    // cache writes it to the log at once; a build with it (the earth's
    // creation, inside its start-up step) keeps it for logRefusal, so that
    // the step's label and result stay on one line. The same goes for a
    // cache or picture file that is there but cannot be read: its name and
    // the reason are logged, and it is never taken for a missing file.
    const std::string& refusal() const { return refusal_; }
    void logRefusal();
    // The updater's entry: a map made off the frame loop (cloud_map_job.h)
    // replaces the one on screen; only its tiles are uploaded here (the
    // whole layer made when there is none yet). The cache is the caller's.
    // False leaves what was on screen as it was.
    bool show(CloudMap map);

    // What the locations manager draws its cloud view with.
    bool mapExists() const { return tiles_[0] != nullptr; }
    Texture* tileTexture(int tile) const;

    // The sphere drawn round the earth; null until the first build.
    Mesh* sphere() const { return sphere_.get(); }
    uint32_t firstMaterial() const { return material0_; }
    const CloudMap& map() const { return map_; }

    // The tiles from the map held, apart for the benchmark.
    bool uploadTiles(bool create);

    // Textures, sphere and reserved materials let go while the renderer
    // still exists.
    void release();

  private:
    bool buildStages(bool useCache);
    void noteUnreadable(const char* name, const char* consequence);
    // The map from the satellite picture; a refusal is logged at once when
    // logNow is set.
    bool mapFromSatelliteImage(CloudMap& map, bool logNow);
    // The map on screen: the tiles (and the layer, when remade) from it.
    bool takeMap(CloudMap map, bool remake);
    bool createSphere();
    void setMaterial(int tile);

    Renderer* renderer_ = nullptr;
    DisplayDevice* display_ = nullptr;
    const Preferences* prefs_ = nullptr;
    std::string folder_;
    std::string refusal_;
    std::string unreadable_; // log lines of files that could not be read
    bool refusalLogged_ = true;
    CloudMap map_;
    std::array<std::unique_ptr<Texture>, kCloudTiles> tiles_;
    bool materialsReserved_ = false;
    uint32_t material0_ = 0;
    std::unique_ptr<Mesh> sphere_;
};

// The process-wide layer.
CloudLayer& cloudLayer();

} // namespace gv
