#include "clouds/cloud_layer.h"

#include "clouds/cloud_cache.h"
#include "core/log.h"
#include "engine/display_device.h"
#include "engine/mesh.h"
#include "engine/renderer.h"
#include "engine/texture.h"
#include "formats/file_bytes.h"
#include "scene/planet_objects.h"

#include <vector>

namespace gv {

CloudLayer::CloudLayer() = default;

CloudLayer::~CloudLayer() {
    // The textures and the sphere know when their device is gone; the
    // materials belong to the renderer, which may be gone already.
    sphere_.reset();
    for (auto& t : tiles_)
        t.reset();
}

void CloudLayer::bind(Renderer& renderer, DisplayDevice& display, const Preferences& prefs,
                      std::string programFolder) {
    renderer_ = &renderer;
    display_ = &display;
    prefs_ = &prefs;
    folder_ = std::move(programFolder);
}

Texture* CloudLayer::tileTexture(int tile) const {
    if (tile < 0 || tile >= kCloudTiles) return nullptr;
    return tiles_[size_t(tile)].get();
}

// A file that failed to load is either not there (quiet: the first start
// has no clouds yet) or there but unreadable, which the log says with why.
void CloudLayer::noteUnreadable(const char* name, const char* consequence) {
    const FileBytes file = checkReadable(folder_ + name);
    if (!file.unreadable()) return;
    unreadable_ += readProblem(name, foundFile(file)) + consequence + "\n";
    refusalLogged_ = false;
}

bool CloudLayer::mapFromSatelliteImage(CloudMap& map, bool logNow) {
    const CloudColours colours(prefs_->cloudColours);
    const CloudPictureResult result =
        cloudMapFromFile(folder_ + kCloudImageFile, colours, map, refusal_);
    if (result == CloudPictureResult::Made) return true;
    // A JPEG or PNG the library refused says why; other refusals are quiet.
    refusalLogged_ = refusalLogged_ && refusal_.empty();
    if (result == CloudPictureResult::NotAPicture) noteUnreadable(kCloudImageFile, "");
    if (logNow) logRefusal();
    return false;
}

void CloudLayer::logRefusal() {
    if (refusalLogged_) return;
    if (!unreadable_.empty()) logWrite("%s", unreadable_.c_str());
    if (!refusal_.empty()) logWrite("Cloud picture not decoded: %s\n", refusal_.c_str());
    refusalLogged_ = true;
}

void CloudLayer::setMaterial(int tile) {
    Material& m = renderer_->material(material0_ + uint32_t(tile));
    m.setRecord(MaterialRecord{});
    m.setTexture(tiles_[size_t(tile)].get());
    m.setDiffuse(1, 1, 1, 1);
    m.setSpecular(1, 1, 1, 1);
    m.setPower(0.0f);
    m.setAmbient(1, 1, 1, 1);
    m.setBlendMode(MaterialBlendMode::CombinedAlpha);
    m.cullMode = d3d::kCullCCW;
    m.zTest = true;
    m.zWrite = false;
}

bool CloudLayer::uploadTiles(bool create) {
    std::vector<uint32_t> tile(size_t(kCloudTileSize) * kCloudTileSize);
    if (create && !materialsReserved_) {
        // Eight slots of the material table, kept for every later build.
        material0_ = renderer_->createMaterial();
        for (int i = 1; i < kCloudTiles; ++i)
            renderer_->createMaterial();
        materialsReserved_ = true;
    }
    for (int i = 0; i < kCloudTiles; ++i) {
        cloudTilePixels(map_, i, tile.data());
        const auto* pixels = reinterpret_cast<const uint8_t*>(tile.data());
        if (!create) {
            if (!tiles_[size_t(i)] || tiles_[size_t(i)]->updatePixels(pixels) != 0) return false;
            continue;
        }
        // The old texture stays in place, with its material, until the new
        // one is made.
        auto texture = std::make_unique<Texture>(*display_);
        if (texture->createFromPixelsRegistered(kCloudTileSize, kCloudTileSize, 32, 8, pixels) != 0)
            return false;
        tiles_[size_t(i)] = std::move(texture);
        setMaterial(i);
    }
    return true;
}

bool CloudLayer::createSphere() {
    auto sphere =
        buildEightPatchSphere(*renderer_, kCloudSphereRadius,
                              meshResolution(prefs_->earthMeshResolution), int32_t(material0_));
    if (!sphere) return false;
    sphere_ = std::move(sphere);
    return true;
}

bool CloudLayer::takeMap(CloudMap map, bool remake) {
    // The old map stays at hand until the new one is up.
    std::swap(map_, map);
    const bool create = remake || !sphere_;
    if (uploadTiles(create) && (!create || createSphere())) return true;
    std::swap(map_, map);
    // Whatever tiles took the new pixels take the old ones back.
    if (!map_.empty() && mapExists()) uploadTiles(false);
    return false;
}

bool CloudLayer::buildStages(bool useCache) {
    if (!renderer_ || !display_ || !prefs_) return false;
    refusal_.clear();
    unreadable_.clear();
    refusalLogged_ = true;
    CloudMap map;
    if (useCache) {
        if (readCloudCache(folder_ + kCloudCacheFile, map)) return takeMap(std::move(map), true);
        noteUnreadable(kCloudCacheFile, ": it is left as it is");
    }
    if (!mapFromSatelliteImage(map, !useCache)) return false;
    if (!takeMap(std::move(map), useCache)) return false;
    // The cache follows the clouds on screen, never ahead of them; one that
    // cannot be written only costs the next start a decode.
    writeCloudCache(folder_ + kCloudCacheFile, map_);
    return true;
}

bool CloudLayer::build(bool useCache) {
    try {
        return buildStages(useCache);
    } catch (...) {
        logWrite("*** FATAL ERROR while loading clouds ***\n");
        return false;
    }
}

bool CloudLayer::show(CloudMap map) {
    if (!renderer_ || !display_ || !prefs_ ||
        map.size() != size_t(kCloudMapWidth) * kCloudMapHeight)
        return false;
    try {
        return takeMap(std::move(map), false);
    } catch (...) {
        logWrite("*** FATAL ERROR while loading clouds ***\n");
        return false;
    }
}

void CloudLayer::release() {
    sphere_.reset();
    for (auto& t : tiles_)
        t.reset();
    if (materialsReserved_ && renderer_) {
        for (int i = 0; i < kCloudTiles; ++i) {
            Material& m = renderer_->material(material0_ + uint32_t(i));
            m.setTexture(nullptr);
            m.setRecord(MaterialRecord{});
        }
    }
    materialsReserved_ = false;
    map_.clear();
    renderer_ = nullptr;
    display_ = nullptr;
    prefs_ = nullptr;
}

CloudLayer& cloudLayer() {
    static CloudLayer layer;
    return layer;
}

} // namespace gv
