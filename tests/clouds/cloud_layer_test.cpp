// The cloud layer on the recording renderer: built from clouds.sat and
// cached, rebuilt from the cache, refreshed in place, refused without
// usable files; its tiles, materials and sphere.
#include "clouds/cloud_cache.h"
#include "clouds/cloud_layer.h"
#include "engine/display_device.h"
#include "engine/mesh.h"
#include "engine/recording_backend.h"
#include "engine/renderer.h"
#include "engine/texture.h"
#include "engine/tga_image.h"
#include "formats/file_bytes.h"
#include "resources/builtin_resources.h"
#include "scene/planet_objects.h"
#include "support/captured_log.h"
#if !defined(_WIN32)
#include "support/ordinary_user.h"
#endif
#include "support/temp_dir.h"
#include "tests/imaging/picture_builders.h"
#include "tests/imaging/picture_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>

namespace gv {
namespace {

using test::Bytes;

// A 1024 x 512 24-bit bitmap from a colour for each pixel (x from the left,
// y from the top).
Bytes cloudPicture(const std::function<uint32_t(uint32_t, uint32_t)>& colour) {
    Bytes data;
    data.reserve(1024 * 512 * 3);
    for (uint32_t row = 0; row < 512; ++row)
        for (uint32_t x = 0; x < 1024; ++x) {
            const uint32_t c = colour(x, 511 - row);
            data.insert(data.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)});
        }
    return test::bmpFile(1024, 512, 24, 0, {}, data);
}

bool inBox(uint32_t x, uint32_t y, uint32_t left, uint32_t top, uint32_t right, uint32_t bottom) {
    return x >= left && x < right && y >= top && y < bottom;
}

// White cloud over picture columns 100..199, rows 50..149 (tile 0), one
// white pixel in the top row at column 700 (tile 2), a grey block over
// columns 300..349 and rows 300..399 (tile 5, south), and blue sea.
uint32_t firstPicture(uint32_t x, uint32_t y) {
    if (inBox(x, y, 100, 50, 200, 150) || (y == 0 && x == 700)) return 0xFFFFFF;
    if (inBox(x, y, 300, 300, 350, 400)) return 0xD6D3D6;
    return 0x102060;
}

struct CloudLayerTest : ::testing::Test {
    RecordingBackend* backend = nullptr;
    std::unique_ptr<DisplayDevice> device;
    std::unique_ptr<Renderer> renderer;
    Preferences prefs = defaultPreferences();
    test::TempDir dir;
    CloudLayer layer;

    void SetUp() override {
        auto b = std::make_unique<RecordingBackend>();
        backend = b.get();
        platform::DisplayInfo info;
        info.modes = {{640, 480, 32, 0}};
        device = std::make_unique<DisplayDevice>(std::move(b), std::vector{info}, 32);
        ASSERT_EQ(device->selectDriver(0), 0u);
        ASSERT_EQ(device->selectMode(0, false, false), 0u);
        renderer = std::make_unique<Renderer>(*device);
        ASSERT_EQ(renderer->create3D(true), 0u);
        layer.bind(*renderer, *device, prefs, dir.folder());
    }
    void TearDown() override {
        layer.release();
        renderer.reset();
        device.reset();
    }
    void writeSatellite(const Bytes& bytes) { test::writeBytes(dir.file("clouds.sat"), bytes); }
    // Tile pixel as 0xAARRGGBB (the tiles are 8-8-8-8), x, y from the top left.
    uint32_t tilePixel(int tile, uint32_t x, uint32_t y) const {
        return layer.tileTexture(tile)->pixel(x, y);
    }
};

TEST_F(CloudLayerTest, NothingToBuildFrom) {
    const size_t materials = renderer->materialCount();
    EXPECT_FALSE(layer.build(true));
    EXPECT_FALSE(layer.build(false));
    EXPECT_FALSE(layer.mapExists());
    EXPECT_EQ(layer.sphere(), nullptr);
    EXPECT_EQ(layer.tileTexture(0), nullptr);
    EXPECT_EQ(renderer->materialCount(), materials);
    EXPECT_FALSE(std::filesystem::exists(dir.file("clouds.tga")));
}

TEST_F(CloudLayerTest, BuildsFromThePictureIntoEightTiles) {
    writeSatellite(cloudPicture(firstPicture));
    const size_t materials = renderer->materialCount();
    ASSERT_TRUE(layer.build(true));
    ASSERT_TRUE(layer.mapExists());
    for (int i = 0; i < 8; ++i) {
        ASSERT_NE(layer.tileTexture(i), nullptr);
        EXPECT_EQ(layer.tileTexture(i)->width(), 256u);
        EXPECT_EQ(layer.tileTexture(i)->height(), 256u);
        EXPECT_EQ(layer.tileTexture(i)->format().alphaMask, 0xFF000000u);
    }
    EXPECT_EQ(layer.tileTexture(8), nullptr);
    EXPECT_EQ(device->registeredTextureCount(), 8u);
    // Tile 0: the white block, solid inside, sea round it transparent.
    EXPECT_GE(tilePixel(0, 150, 100) >> 24, 0xF0u);
    EXPECT_GE(tilePixel(0, 150, 100) & 0xFF, 0xF0u);
    EXPECT_EQ(tilePixel(0, 20, 20), 0u);
    // Tile 2: the top row is not smoothed; its white pixel stays opaque.
    EXPECT_EQ(tilePixel(2, 700 - 512, 0), 0xFFFFFFFFu);
    EXPECT_EQ(tilePixel(2, 700 - 512 + 5, 0), 0u);
    // Tile 5 (south, columns 256..511): its top row is the equator, so the
    // grey block over picture rows 300..399 lies in tile rows 44..143.
    EXPECT_GE(tilePixel(5, 70, 100) >> 24, 0xC0u);
    EXPECT_EQ(tilePixel(5, 70, 200), 0u);
    EXPECT_EQ(tilePixel(1, 70, 100), 0u);
    for (int tile : {3, 4, 6, 7})
        EXPECT_EQ(tilePixel(tile, 128, 128), 0u) << tile;

    // Eight materials, in tile order.
    ASSERT_EQ(renderer->materialCount(), materials + 8);
    for (int i = 0; i < 8; ++i) {
        const Material& m = renderer->material(layer.firstMaterial() + uint32_t(i));
        EXPECT_EQ(m.texture(), layer.tileTexture(i));
        EXPECT_EQ(m.blendMode(), MaterialBlendMode::CombinedAlpha);
        EXPECT_TRUE(m.zTest);
        EXPECT_FALSE(m.zWrite);
        EXPECT_EQ(m.cullMode, 3u); // counter-clockwise
        const MaterialRecord& r = m.record();
        EXPECT_EQ(r.diffuse.r, 1.0f);
        EXPECT_EQ(r.diffuse.a, 1.0f);
        EXPECT_EQ(r.ambient.g, 1.0f);
        EXPECT_EQ(r.specular.b, 1.0f);
        EXPECT_EQ(r.power, 0.0f);
    }
}

TEST_F(CloudLayerTest, SphereOfRadius131WearsTheTilesInOrder) {
    writeSatellite(cloudPicture(firstPicture));
    prefs.earthMeshResolution = 3; // n = 20: 10 points a ring, 9 rings, and the pole
    ASSERT_TRUE(layer.build(true));
    const Mesh* sphere = layer.sphere();
    ASSERT_NE(sphere, nullptr);
    ASSERT_EQ(sphere->vertices().size(), 8u * (1 + 9 * 10));
    for (const MeshVertex& v : sphere->vertices())
        ASSERT_NEAR(std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z), 131.0f, 0.01f);
    // Patch k's faces use material first + k, the patches in order.
    const auto& faces = sphere->faces();
    const size_t perPatch = faces.size() / 8;
    for (size_t i = 0; i < faces.size(); ++i)
        ASSERT_EQ(faces[i].material, int32_t(layer.firstMaterial() + i / perPatch)) << i;
}

TEST_F(CloudLayerTest, CacheFileHoldsTheMapTopRowFirst) {
    writeSatellite(cloudPicture(firstPicture));
    ASSERT_TRUE(layer.build(true));
    const Bytes file = test::readBytes(dir.file("clouds.tga"));
    ASSERT_EQ(file.size(), 18u + 1024u * 512u * 4u);
    const Bytes header(file.begin(), file.begin() + 18);
    EXPECT_EQ(header, (Bytes{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 2, 32, 8}));
    // The first row in the file is the picture's top one: its white pixel
    // at column 700, blue, green, red, alpha.
    const size_t at = 18 + 700 * 4;
    EXPECT_EQ(Bytes(file.begin() + long(at), file.begin() + long(at) + 4),
              (Bytes{255, 255, 255, 255}));
    // Read back, the map is the one built.
    CloudMap map;
    ASSERT_TRUE(readCloudCache(dir.file("clouds.tga"), map));
    EXPECT_EQ(map, layer.map());
    // No temporary file is left beside it.
    size_t files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++files;
    EXPECT_EQ(files, 2u);
}

TEST_F(CloudLayerTest, NextStartTakesTheCacheAndItsColours) {
    writeSatellite(cloudPicture(firstPicture));
    ASSERT_TRUE(layer.build(true));
    const CloudMap first = layer.map();
    const uint32_t sample = tilePixel(0, 150, 100);
    layer.release();
    // The next start: no picture, and other cloud colours, which only a
    // build from a picture would apply.
    std::filesystem::remove(dir.file("clouds.sat"));
    prefs.cloudColours[19] = 0x00123456;
    layer.bind(*renderer, *device, prefs, dir.folder());
    ASSERT_TRUE(layer.build(true));
    EXPECT_EQ(layer.map(), first);
    EXPECT_EQ(tilePixel(0, 150, 100), sample);
}

TEST_F(CloudLayerTest, CacheOfAnotherShapeIsNotUsed) {
    writeSatellite(cloudPicture(firstPicture));
    for (auto [w, h, depth] : {std::tuple{512, 256, 32}, std::tuple{1024, 512, 24}}) {
        std::vector<uint8_t> px(size_t(w) * size_t(h) * size_t(depth / 8), 0xFF);
        TgaImage wrong;
        ASSERT_TRUE(wrong.setImage(uint16_t(w), uint16_t(h), uint8_t(depth), px.data()));
        ASSERT_TRUE(wrong.write(dir.file("clouds.tga").c_str()));
        CloudLayer fresh;
        fresh.bind(*renderer, *device, prefs, dir.folder());
        ASSERT_TRUE(fresh.build(true));
        // Built from the picture (the cache would have been solid white),
        // and the cache written again in its right shape.
        EXPECT_EQ(fresh.tileTexture(0)->pixel(20, 20), 0u);
        TgaImage cache;
        ASSERT_TRUE(cache.read(dir.file("clouds.tga").c_str()));
        EXPECT_EQ(cache.width(), 1024u);
        EXPECT_EQ(cache.depth(), 32u);
        fresh.release();
    }
}

TEST_F(CloudLayerTest, RefreshOnlyReplacesThePixels) {
    writeSatellite(cloudPicture(firstPicture));
    ASSERT_TRUE(layer.build(true));
    Texture* tiles[8];
    for (int i = 0; i < 8; ++i)
        tiles[i] = layer.tileTexture(i);
    const Mesh* sphere = layer.sphere();
    const size_t materials = renderer->materialCount();
    // The next picture: cloud only over tile 3's area.
    writeSatellite(cloudPicture(
        [](uint32_t x, uint32_t y) { return inBox(x, y, 800, 100, 900, 200) ? 0xFFFFFFu : 0u; }));
    ASSERT_TRUE(layer.build(false));
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(layer.tileTexture(i), tiles[i]);
    EXPECT_EQ(layer.sphere(), sphere);
    EXPECT_EQ(renderer->materialCount(), materials);
    EXPECT_EQ(device->registeredTextureCount(), 8u);
    EXPECT_EQ(tilePixel(0, 150, 100), 0u);
    EXPECT_GE(tilePixel(3, 850 - 768, 150) >> 24, 0xF0u);
    // And the cache follows.
    CloudMap map;
    ASSERT_TRUE(readCloudCache(dir.file("clouds.tga"), map));
    EXPECT_EQ(map, layer.map());
}

TEST_F(CloudLayerTest, RefreshFromAnUnusablePictureChangesNothing) {
    writeSatellite(cloudPicture(firstPicture));
    ASSERT_TRUE(layer.build(true));
    const uint32_t before = tilePixel(0, 150, 100);
    const Bytes cache = test::readBytes(dir.file("clouds.tga"));
    writeSatellite(
        {'<', 'h', 't', 'm', 'l', '>', 'n', 'o', ' ', 'm', 'a', 'p', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_FALSE(layer.build(false));
    EXPECT_EQ(tilePixel(0, 150, 100), before);
    EXPECT_EQ(test::readBytes(dir.file("clouds.tga")), cache);
}

// The cache is what the layer shows, never a map it could not take: the
// next start would bring back clouds that were never on screen.
TEST_F(CloudLayerTest, TheCacheFollowsOnlyAMapTheLayerTook) {
    writeSatellite(cloudPicture(firstPicture));
    ASSERT_TRUE(layer.build(true));
    const Bytes cache = test::readBytes(dir.file("clouds.tga"));
    ASSERT_FALSE(cache.empty());
    writeSatellite(cloudPicture(
        [](uint32_t x, uint32_t y) { return inBox(x, y, 800, 100, 900, 200) ? 0xFFFFFFu : 0u; }));
    backend->failTextures = true;
    EXPECT_FALSE(layer.build(false));
    EXPECT_EQ(test::readBytes(dir.file("clouds.tga")), cache);
    // A first build from the picture (no cache yet) that cannot upload
    // writes none either.
    std::filesystem::remove(dir.file("clouds.tga"));
    CloudLayer fresh;
    fresh.bind(*renderer, *device, prefs, dir.folder());
    EXPECT_FALSE(fresh.build(true));
    EXPECT_FALSE(std::filesystem::exists(dir.file("clouds.tga")));
    fresh.release();
    backend->failTextures = false;
    ASSERT_TRUE(layer.build(false));
    CloudMap map;
    ASSERT_TRUE(readCloudCache(dir.file("clouds.tga"), map));
    EXPECT_EQ(map, layer.map());
}

// The updater's way in: a map made elsewhere replaces the pixels on screen
// and leaves the files to the updater.
TEST_F(CloudLayerTest, ShowTakesAMapMadeElsewhere) {
    CloudMap made(size_t(kCloudMapWidth) * kCloudMapHeight, 0);
    // Opaque white over the map's top-left corner: tile 0's top-left pixel.
    made[size_t(kCloudMapHeight - 1) * kCloudMapWidth] = 0xFFFFFFFFu;
    ASSERT_TRUE(layer.show(made));
    EXPECT_NE(layer.sphere(), nullptr);
    EXPECT_EQ(tilePixel(0, 0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(tilePixel(0, 1, 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(dir.file("clouds.tga")));
    const Mesh* sphere = layer.sphere();
    made[size_t(kCloudMapHeight - 1) * kCloudMapWidth + 1] = 0x80808080u;
    ASSERT_TRUE(layer.show(made));
    EXPECT_EQ(layer.sphere(), sphere);
    EXPECT_EQ(tilePixel(0, 1, 0), 0x80808080u);
    EXPECT_EQ(layer.map(), made);
    // A map of another size is no map of this layer.
    EXPECT_FALSE(layer.show(CloudMap(16, 0xFFFFFFFFu)));
    EXPECT_EQ(layer.map(), made);
    // An upload that fails leaves the map held as it was.
    backend->failTextures = true;
    EXPECT_FALSE(layer.show(CloudMap(made.size(), 0)));
    EXPECT_EQ(layer.map(), made);
}

TEST_F(CloudLayerTest, RefreshBeforeAnyLayerBuildsTheWholeLayer) {
    writeSatellite(cloudPicture(firstPicture));
    ASSERT_TRUE(layer.build(false));
    EXPECT_TRUE(layer.mapExists());
    EXPECT_NE(layer.sphere(), nullptr);
    EXPECT_GE(tilePixel(0, 150, 100) >> 24, 0xF0u);
}

TEST_F(CloudLayerTest, EarthRebuildRemakesTheSphereInTheSameMaterialSlots) {
    writeSatellite(cloudPicture(firstPicture));
    ASSERT_TRUE(layer.build(true));
    const size_t materials = renderer->materialCount();
    const uint32_t first = layer.firstMaterial();
    prefs.earthMeshResolution = 0; // n = 8: 4 points a ring, 3 rings
    ASSERT_TRUE(layer.build(true));
    EXPECT_EQ(renderer->materialCount(), materials);
    EXPECT_EQ(layer.firstMaterial(), first);
    EXPECT_EQ(layer.sphere()->vertices().size(), 8u * (1 + 3 * 4));
    EXPECT_EQ(device->registeredTextureCount(), 8u);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(renderer->material(first + uint32_t(i)).texture(), layer.tileTexture(i));
}

TEST_F(CloudLayerTest, PictureOfAnotherSizeIsStretchedToTheMap) {
    // 4 x 2: the top-left quarter white (tile 0's area and tile 1's), the
    // rest black: the map's north-west half is cloud.
    Bytes data = {0,   0,   0,   0,   0,   0,   0, 0, 0, 0, 0, 0,
                  255, 255, 255, 255, 255, 255, 0, 0, 0, 0, 0, 0};
    writeSatellite(test::bmpFile(4, 2, 24, 0, {}, data));
    ASSERT_TRUE(layer.build(true));
    EXPECT_GE(tilePixel(0, 128, 128) >> 24, 0xF0u);
    EXPECT_GE(tilePixel(1, 60, 128) >> 24, 0xF0u);
    EXPECT_EQ(tilePixel(2, 200, 128), 0u);
    EXPECT_EQ(tilePixel(4, 128, 200), 0u);
}

// A brightness map (greys, here stored as a three-channel JPEG) makes
// every bright pixel cloud, where the cloud colours would match almost none.
TEST_F(CloudLayerTest, GreyPicturesAreBrightnessMaps) {
    writeSatellite(test::fixtureBytes("jpeg_grey_in_colour.jpg"));
    ASSERT_TRUE(layer.build(false));
    size_t clouded = 0;
    for (uint32_t p : layer.map())
        clouded += (p >> 24) > 8;
    EXPECT_GT(clouded, layer.map().size() * 9 / 10);
    // The same greys in a GIF are classified by the cloud colours.
    writeSatellite(test::fixtureBytes("gif_grey.gif"));
    ASSERT_TRUE(layer.build(false));
    clouded = 0;
    for (uint32_t p : layer.map())
        clouded += (p >> 24) > 8;
    EXPECT_LT(clouded, layer.map().size() / 10);
}

// A PNG with alpha: opacity follows the alpha gradient of the fixture,
// clear on one side and cloud on the other.
TEST_F(CloudLayerTest, AlphaPicturesGiveTheirOpacity) {
    writeSatellite(test::fixtureBytes("png_grey_alpha.png"));
    ASSERT_TRUE(layer.build(false));
    EXPECT_TRUE(layer.mapExists());
    const CloudMap& map = layer.map();
    uint32_t left = 0, right = 0;
    for (uint32_t row = 100; row < 400; ++row) {
        left += map[size_t(row) * kCloudMapWidth + 40] >> 24;
        right += map[size_t(row) * kCloudMapWidth + 980] >> 24;
    }
    EXPECT_NE(left / 300 < 30, right / 300 < 30) << left / 300 << " " << right / 300;
}

TEST_F(CloudLayerTest, RefusedPictureSaysWhyInTheLog) {
    writeSatellite(cloudPicture(firstPicture));
    ASSERT_TRUE(layer.build(true));
    const uint32_t before = tilePixel(0, 150, 100);
    test::CapturedLog log;
    writeSatellite(test::fixtureBytes("jpeg_cut_in_half.jpg"));
    EXPECT_FALSE(layer.build(false));
    EXPECT_EQ(tilePixel(0, 150, 100), before);
    const auto reports = log.reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].rfind("Cloud picture not decoded: JPEG: ", 0), 0u) << reports[0];
    EXPECT_EQ(layer.refusal().rfind("JPEG: ", 0), 0u);
    // Inside the earth's start-up step (with the cache allowed, none there)
    // the reason waits until the step has its result.
    log.clear();
    std::filesystem::remove(dir.file("clouds.tga"));
    EXPECT_FALSE(layer.build(true));
    EXPECT_TRUE(log.reports().empty());
    layer.logRefusal();
    layer.logRefusal();
    ASSERT_EQ(log.reports().size(), 1u);
    EXPECT_EQ(log.reports()[0].rfind("Cloud picture not decoded: JPEG: ", 0), 0u);
    // A page that is no picture at all is refused without a word.
    log.clear();
    writeSatellite({'<', 'h', 't', 'm', 'l', '>', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_FALSE(layer.build(false));
    layer.logRefusal();
    EXPECT_TRUE(log.reports().empty());
    EXPECT_EQ(layer.refusal(), "");
}

TEST_F(CloudLayerTest, FilesThatCannotBeReadAreNamedWithTheReason) {
    // Folders in the files' places: there, but not readable as files.
    std::filesystem::create_directory(dir.file("clouds.tga"));
    std::filesystem::create_directory(dir.file("clouds.sat"));
    const std::string reason = checkReadable(dir.file("clouds.sat")).reason;
    ASSERT_FALSE(reason.empty());
    test::CapturedLog log;
    EXPECT_FALSE(layer.build(true));
    EXPECT_TRUE(log.reports().empty()) << "inside the earth's step: after its result";
    layer.logRefusal();
    EXPECT_EQ(log.reports(),
              std::vector<std::string>{"clouds.tga cannot be read (" + reason +
                                       "): it is left as it is\nclouds.sat cannot be read (" +
                                       reason + ")\n"});
    // A build from the picture alone says it at once.
    log.clear();
    EXPECT_FALSE(layer.build(false));
    EXPECT_EQ(log.reports(),
              std::vector<std::string>{"clouds.sat cannot be read (" + reason + ")\n"});
}

#if !defined(_WIN32)
TEST_F(CloudLayerTest, ACacheThisUserMayNotReadIsNotReplaced) {
    writeSatellite(cloudPicture(firstPicture));
    const Bytes cache(1000, 0x5A);
    test::writeBytes(dir.file("clouds.tga"), cache);
    std::filesystem::permissions(dir.file("clouds.tga"), std::filesystem::perms::none);
    for (const char* name : {"", "clouds.tga", "clouds.sat"})
        test::giveToOrdinaryUser(dir.file(name));
    test::CapturedLog log;
    bool built = false;
    {
        test::OrdinaryUser user;
        built = layer.build(true);
    }
    layer.logRefusal(); // the log file is the superuser's
    EXPECT_TRUE(built) << "made from clouds.sat";
    EXPECT_EQ(log.reports(), std::vector<std::string>{"clouds.tga cannot be read (Permission "
                                                      "denied): it is left as it is\n"});
    EXPECT_EQ(test::readBytes(dir.file("clouds.tga")), cache);
    EXPECT_EQ(std::filesystem::status(dir.file("clouds.tga")).permissions() &
                  std::filesystem::perms::mask,
              std::filesystem::perms::none);
}
#endif

// The start-up step of the earth's creation, with the layer as its cloud build.
TEST_F(CloudLayerTest, StartUpStepReportsTheLayer) {
    resources::registerBuiltinResources();
    test::CapturedLog log;
    bindPlanets(*renderer, *device, prefs);
    static CloudLayer* current = nullptr;
    current = &layer;
    planets().buildCloudLayer = [] { return current->build(true); };
    ASSERT_TRUE(buildEarth());
    writeSatellite(cloudPicture(firstPicture));
    ASSERT_TRUE(buildEarth());
    const auto reports = log.reports();
    releasePlanets();
    planets().buildCloudLayer = nullptr;
    const std::string label = "Creating earth clouds .................................. ";
    std::vector<std::string> results;
    for (size_t i = 0; i + 1 < reports.size(); ++i)
        if (reports[i] == label) results.push_back(reports[i + 1]);
    EXPECT_EQ(results, (std::vector<std::string>{"[ FAILED: non-fatal error ]\n", "[ PASSED ]\n"}));
}

} // namespace
} // namespace gv
