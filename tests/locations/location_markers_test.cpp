// Markers and labels on the globe and on the flat map, on the recording
// renderer. The expected places come from the projection worked by hand: a
// camera 500 units from the earth's centre on -z, field of view 0.97 (so
// tan(0.485) = 0.52698 and 1280 pixels across), looking at the centre.
#include "locations/location_markers.h"
#include "locations_fixture.h"
#include "scene/clock_samples.h"
#include "scene/planet_motion.h"
#include "scene/scene_state.h"

#include <gtest/gtest.h>

namespace gv {
namespace {

// An earth centre whose coordinates floats hold exactly.
const Vector3 kEarth{1024.0f, 0.0f, 2048.0f};

struct Markers : testing::LocationsFixture {
    SceneState scene;
    std::unique_ptr<Camera> camera;
    LocationsFrame frame;

    void SetUp() override {
        LocationsFixture::SetUp();
        scene.earthPosition = kEarth;
        scene.earthYaw = 0.0f;
        scene.earthTransform = Matrix4::identity();
        scene.earthTransform.setTranslation(kEarth.x, kEarth.y, kEarth.z);
        camera = std::make_unique<Camera>(0.97f, 1280, 720);
        camera->setNear(1.0f);
        camera->setFar(3500.0f);
        camera->setPosition(kEarth + Vector3{0.0f, 0.0f, -500.0f});
        camera->lookAt(kEarth);
        frame.scene = &scene;
        frame.camera = camera.get();
        frame.frameMs = 20;
        frame.width = 1280;
        frame.height = 720;
        frame.utc.tm_hour = 23;
        frame.utc.tm_min = 30;
        frame.utc.tm_mday = 20;
        frame.utc.tm_mon = 2;
        frame.utc.tm_year = 126;
        prefs.labelsShowTime = 0;
        // Every label, as drawn before "LOCATIONS LABELS DECLUTTER".
        prefs.optionFlags = withOption(prefs.optionFlags, OptionFlag::LabelsDeclutter, false);
    }
    std::vector<const RecordingBackend::Draw*> labelDraws() const {
        std::vector<const RecordingBackend::Draw*> out;
        for (const auto& d : backend->draws)
            if (d.op == "drawScreen") out.push_back(&d);
        return out;
    }
    // The one draw of every label's text.
    const RecordingBackend::Draw& batch() const {
        const auto labels = labelDraws();
        EXPECT_EQ(labels.size(), 1u);
        static const RecordingBackend::Draw none;
        return labels.empty() ? none : *labels[0];
    }
    // The batch cut into labels where the colour or the depth changes.
    std::vector<RecordingBackend::Draw> labelsIn(const RecordingBackend::Draw& d) const {
        std::vector<RecordingBackend::Draw> out;
        for (std::size_t q = 0; q + 3 < d.screen.size(); q += 4) {
            const ScreenVertex& v = d.screen[q];
            if (out.empty() || out.back().screen[0].color != v.color ||
                out.back().screen[0].sz != v.sz) {
                out.emplace_back();
                out.back().op = d.op;
                out.back().texture = d.texture;
            }
            out.back().screen.insert(out.back().screen.end(), &d.screen[q], &d.screen[q] + 4);
        }
        return out;
    }
    int markerDraws() const {
        int n = 0;
        for (const auto& d : backend->draws)
            n += d.op == "drawIndexedBuffer";
        return n;
    }
};

// Facing the camera (lon 90 E at yaw 0), on the limb (lon 0), straight
// behind (lon 90 W) and just past the limb (lon 2 W), all on the equator.
const std::vector<testing::Place> kThreePlusEdge = {{"Front", 0.0f, 90.0f, 1},
                                                    {"Limb", 0.0f, 0.0f, 0},
                                                    {"Behind", 0.0f, -90.0f, -5},
                                                    {"Edge", 0.0f, -2.0f, -5}};

TEST_F(Markers, TheMarkerIsARedTrianglePointDownSeenFromBothSides) {
    ASSERT_EQ(marker->vertices().size(), 3u);
    const auto& v = marker->vertices();
    EXPECT_EQ(v[0].y, -1.5f);
    EXPECT_EQ(v[1].x, 1.5f);
    EXPECT_EQ(v[2].x, -1.5f);
    EXPECT_EQ(v[2].y, 1.5f);
    ASSERT_EQ(marker->faces().size(), 1u);
    const MeshFace& f = marker->faces()[0];
    EXPECT_EQ(f.a, 0u);
    EXPECT_EQ(f.b, 2u);
    EXPECT_EQ(f.c, 1u);
    const Material& m = renderer->material(uint32_t(f.material));
    EXPECT_EQ(m.texture(), nullptr);
    EXPECT_EQ(m.cullMode, 1u);
    EXPECT_TRUE(m.zTest);
    EXPECT_FALSE(m.zWrite) << "labels drawn after it are never hidden by it";
    EXPECT_EQ(m.record().emissive.r, 1.0f);
    EXPECT_EQ(m.record().emissive.g, 0.0f);
    // No light but its own: the same red on the night side and in the
    // manager's full ambient light.
    EXPECT_EQ(m.record().ambient.r, 0.0f);
    EXPECT_EQ(m.record().diffuse.g, 0.0f);
    EXPECT_EQ(m.record().specular.b, 0.0f);
}

TEST_F(Markers, LabelsSitBesideTheirMarkersInFrontOnTheLimbAndBehind) {
    load(kThreePlusEdge, {0, 1, 2, 3});
    backend->clearLog();
    drawGlobeLocations(frame);
    // Straight behind the globe, marker and label are hidden whole: not
    // drawn at all.
    EXPECT_EQ(markerDraws(), 3);
    const auto labels = labelsIn(batch());
    ASSERT_EQ(labels.size(), 3u);
    EXPECT_EQ(textOf(labels[0], *mainFont), "Front");
    EXPECT_EQ(textOf(labels[1], *mainFont), "Limb");
    EXPECT_EQ(textOf(labels[2], *mainFont), "Edge");

    // In front: projected at (640, 356.063), 370.726 units away against 500:
    // f = 1.25 - 0.741451 = 0.508549, alpha 129 = 0x81 on colour 9 D0B0FF.
    const ScreenVertex front = textOrigin(labels[0]);
    EXPECT_NEAR(front.sx, 648.0f, 0.01f);
    EXPECT_NEAR(front.sy, 350.063f, 0.01f);
    EXPECT_FLOAT_EQ(front.sz, 0.00001f);
    EXPECT_EQ(front.color, 0x81D0B0FFu);
    // Texels at the label's scale.
    const ScreenVertex& a = labels[0].screen[0];
    const ScreenVertex& b = labels[0].screen[2];
    EXPECT_NEAR((b.sy - a.sy) / ((b.v - a.v) * float(locations().labelAtlas->texture()->height())),
                0.508549f, 1e-4f);

    // On the limb: as far as the centre, so still in front; f = 0.25.
    const ScreenVertex limb = textOrigin(labels[1]);
    EXPECT_NEAR(limb.sx, 326.0025f + 8.0f, 0.01f);
    EXPECT_NEAR(limb.sy, 357.0809f - 6.0f, 0.01f);
    EXPECT_FLOAT_EQ(limb.sz, 0.00001f);
    EXPECT_EQ(limb.color, 0x3FD0B0FFu);

    // Two degrees round the limb: behind (the globe hides what it covers),
    // but the label reaches past the globe's edge, so it is drawn.
    // 129.196 units left, 4.512 behind the centre: at (329.000, 357.107),
    // f = 1.25 - 504.512 / 500 = 0.240977, alpha 61.
    const ScreenVertex edge = textOrigin(labels[2]);
    EXPECT_NEAR(edge.sx, 329.0f + 8.0f, 0.01f);
    EXPECT_NEAR(edge.sy, 357.107f - 6.0f, 0.01f);
    EXPECT_FLOAT_EQ(edge.sz, 0.99999f);
    EXPECT_EQ(edge.color >> 24, 61u);
}

TEST_F(Markers, DeclutterLeavesOutALabelThatWouldCoverANearerOneButKeepsItsMarker) {
    load(kThreePlusEdge, {3, 0, 1, 2});
    prefs.optionFlags = withOption(prefs.optionFlags, OptionFlag::LabelsDeclutter, true);
    backend->clearLog();
    drawGlobeLocations(frame);
    // "Edge", two degrees past the limb and drawn first, lies 3 px right of
    // "Limb"; the limb is nearer, so its label stays and Edge's goes.
    EXPECT_EQ(markerDraws(), 3);
    const auto labels = labelsIn(batch());
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_EQ(textOf(labels[0], *mainFont), "Front");
    EXPECT_EQ(textOf(labels[1], *mainFont), "Limb");
    // Off: every label, as before.
    prefs.optionFlags = withOption(prefs.optionFlags, OptionFlag::LabelsDeclutter, false);
    backend->clearLog();
    drawGlobeLocations(frame);
    EXPECT_EQ(labelsIn(batch()).size(), 3u);
}

TEST_F(Markers, FarBehindTheGlobeTheWrappedAlphaNeverShows) {
    // f = -0.00855 straight behind: the alpha's low eight bits of -2 would
    // be 0xFE, but the globe covers marker and label alike.
    load(kThreePlusEdge, {2});
    backend->clearLog();
    drawGlobeLocations(frame);
    EXPECT_TRUE(backend->draws.empty());
    // Seen from inside the markers' sphere (the main camera's first frame)
    // nothing is left out.
    camera->setPosition(kEarth + Vector3{0.0f, 0.0f, -100.0f});
    camera->lookAt(kEarth);
    drawGlobeLocations(frame);
    EXPECT_EQ(markerDraws(), 1);
}

TEST_F(Markers, TheTimeOptionAddsTheApproximateLocalTimeOnASecondLine) {
    load(kThreePlusEdge, {0, 3});
    prefs.labelsShowTime = 1;
    backend->clearLog();
    drawGlobeLocations(frame);
    const auto labels = labelsIn(batch());
    ASSERT_EQ(labels.size(), 2u);
    // GMT+1 at 23:30 UTC is 00:30; GMT-5 is 18:30.
    EXPECT_EQ(textOf(labels[0], *mainFont), "Front\n00:30:00");
    EXPECT_EQ(textOf(labels[1], *mainFont), "Edge\n18:30:00");
    // The second line (the second quad, a quad a line) starts under the
    // first, one scaled line lower.
    RecordingBackend::Draw second = labels[0];
    second.screen.erase(second.screen.begin(), second.screen.begin() + 4);
    const ScreenVertex at = textOrigin(second);
    EXPECT_NEAR(at.sx, 648.0f, 0.01f);
    EXPECT_NEAR(at.sy, 350.063f + 27.0f * 0.508549f, 0.02f);
}

TEST_F(Markers, NothingIsDrawnWithoutASelection) {
    load(kThreePlusEdge);
    backend->clearLog();
    drawGlobeLocations(frame);
    EXPECT_TRUE(backend->draws.empty());
    EXPECT_TRUE(backend->calls.empty());
}

TEST_F(Markers, TheLabelColourOptionRecoloursEveryLabelAtTheNextFrame) {
    load(kThreePlusEdge, {0, 1});
    prefs.labelColour = 4; // FFFF00
    backend->clearLog();
    drawGlobeLocations(frame);
    const auto labels = labelsIn(batch());
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_EQ(labels[0].screen[0].color, 0x81FFFF00u);
    EXPECT_EQ(labels[1].screen[0].color, 0x3FFFFF00u);
    // An index the table does not have falls back to the default colour.
    prefs.labelColour = 77;
    backend->clearLog();
    drawGlobeLocations(frame);
    EXPECT_EQ(labelDraws()[0]->screen[0].color, 0x81D0B0FFu);
}

TEST_F(Markers, TheMarkerStandsOnThePlaceAndFacesTheCamera) {
    load(kThreePlusEdge, {0});
    drawGlobeLocations(frame);
    const Matrix4& w = marker->world();
    // Half a degree north of the equator, 129.28 from the centre.
    EXPECT_NEAR(w.m[3][0], kEarth.x, 0.001f);
    EXPECT_NEAR(w.m[3][1], kEarth.y + 1.2018f, 0.001f);
    EXPECT_NEAR(w.m[3][2], kEarth.z - 129.2744f, 0.001f);
    // Its own z axis points at the camera, its y axis up.
    const Vector3 toCamera =
        normalize(camera->position() - Vector3{w.m[3][0], w.m[3][1], w.m[3][2]});
    EXPECT_NEAR(w.m[2][0], toCamera.x, 1e-5f);
    EXPECT_NEAR(w.m[2][1], toCamera.y, 1e-5f);
    EXPECT_NEAR(w.m[2][2], toCamera.z, 1e-5f);
    EXPECT_NEAR(w.m[1][1], 1.0f, 1e-4f);
}

TEST_F(Markers, OnTheTiltedEarthAMarkerStandsWhereTheSunSeesItsPlace) {
    // 21 June 2024, 02:40 UTC, "TRUE SEASONS": the midnight sun over the
    // Greenland ice. At 80° N (the marker 0.49° further north) the sun stands
    // at its lower culmination, 80.49 + 23.44 - 90 = 13.9° high; at 60° N it
    // is 60.49 + 23.44 - 90 = 6.1° below the horizon.
    const ClockSample clock = test::sampleAt(test::utcTime(2024, 6, 21, 2, 40));
    SceneState tilted;
    updateTrueEarth(tilted, clock, 1300, 1.0f);
    const Vector3 toSun = normalize(-1.0f * tilted.earthPosition);
    auto altitude = [&](float latitude) {
        const LocationRecord place = makeLocationRecord("Ice", latitude, -40.0f, -3);
        const Vector3 p = globeMarkerPoint(place, tilted);
        EXPECT_NEAR(distance(p, tilted.earthPosition), kMarkerSphereRadius, 1e-2f);
        return std::asin(dot(normalize(p - tilted.earthPosition), toSun)) * 57.29578f;
    };
    EXPECT_NEAR(altitude(80.0f), 13.9f, 0.5f);
    EXPECT_NEAR(altitude(60.0f), -6.1f, 0.5f);
    // The untilted scene keeps the formula about y.
    const LocationRecord paris = makeLocationRecord("Paris", 48.86f, 2.35f, 1);
    scene.earthYaw = 0.4f;
    const Vector3 a = globeMarkerPoint(paris, scene), b = globeMarkerPoint(paris, 0.4f, kEarth);
    EXPECT_TRUE(equals(a, b));
}

TEST_F(Markers, MarkersTurnWithTheEarthAndTheDateLineMeetsItself) {
    // The globe's point of a place is the earth's own-frame point turned
    // with the earth: longitude L lies at azimuth L + 180 degrees there.
    const LocationRecord paris = makeLocationRecord("Paris", 48.86f, 2.35f, 1);
    const float yaw = 0.7f;
    Matrix4 turn = Matrix4::identity();
    turn.rotate(0.0f, yaw, 0.0f);
    turn.setTranslation(kEarth.x, kEarth.y, kEarth.z);
    const Vector3 own = globeMarkerPoint(paris, 0.0f, Vector3{});
    const Vector3 turned = transformPoint(own, turn);
    const Vector3 direct = globeMarkerPoint(paris, yaw, kEarth);
    EXPECT_NEAR(turned.x, direct.x, 1e-3f);
    EXPECT_NEAR(turned.y, direct.y, 1e-3f);
    EXPECT_NEAR(turned.z, direct.z, 1e-3f);

    const LocationRecord east = makeLocationRecord("E", 10.0f, 180.0f, 12);
    const LocationRecord west = makeLocationRecord("W", 10.0f, -180.0f, -12);
    const Vector3 e = globeMarkerPoint(east, yaw, kEarth), w = globeMarkerPoint(west, yaw, kEarth);
    EXPECT_NEAR(distance(e, w), 0.0f, 1e-3f) << "the same meridian on the globe";
    EXPECT_NEAR(flatMapPoint(east).z, -256.0f, 1e-3f) << "opposite edges of the flat map";
    EXPECT_NEAR(flatMapPoint(west).z, 256.0f, 1e-3f);
    EXPECT_NEAR(flatMapPoint(makeLocationRecord("N", 90.0f, 0, 0)).y, 185.6f, 1e-3f);
    EXPECT_FLOAT_EQ(flatMapPoint(east).x, -128.0f);
}

TEST_F(Markers, LabelRulesForDepthSizeAndAlpha) {
    const GlobeLabel limb = globeLabel(233.0f, 233.0f, 0xC0D0B0FFu);
    EXPECT_FLOAT_EQ(limb.depth, 0.00001f) << "exactly on the limb is still in front";
    EXPECT_FLOAT_EQ(limb.scale, 0.25f);
    EXPECT_EQ(limb.colour, 0x3FD0B0FFu);
    const GlobeLabel near = globeLabel(0.0f, 100.0f, 0xC0FFFFFFu);
    EXPECT_EQ(near.colour >> 24, 0x3Eu) << "255 x 1.25 = 318.75: 318, whose low bits are 0x3E";
    const GlobeLabel far = globeLabel(200.0f, 100.0f, 0xC0FFFFFFu);
    EXPECT_FLOAT_EQ(far.depth, 0.99999f);
    EXPECT_EQ(far.colour >> 24, uint32_t(-191 & 0xFF)); // 255 x -0.75 = -191.25
}

TEST_F(Markers, OnTheFlatMapLabelsAreHalfSizeInFrontAndTheHighlightedMarkerPulses) {
    load({{"Paris", 48.86f, 2.35f, 1}});
    // The map faces the camera from -x, 600 units out.
    camera->setPosition(kEarth + Vector3{-600.0f, 0.0f, 0.0f});
    camera->lookAt(kEarth);
    backend->clearLog();
    drawManagerLocation(0, false, frame);
    auto labels = labelDraws();
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_EQ(textOf(*labels[0], *mainFont), "Paris");
    const ScreenVertex& at = labels[0]->screen[0];
    EXPECT_NEAR(at.sx, 648.5996f + 8.0f, 0.02f);
    EXPECT_NEAR(at.sy, 100.7430f - 9.0f, 0.02f);
    EXPECT_FLOAT_EQ(at.sz, 0.00001f);
    EXPECT_EQ(at.color, 0xC0D0B0FFu) << "the table's own alpha";
    EXPECT_NEAR(labels[0]->screen[1].sy - at.sy, 13.5f, 1e-3f);
    EXPECT_NEAR(marker->world().m[0][0] * marker->world().m[0][0] +
                    marker->world().m[0][1] * marker->world().m[0][1] +
                    marker->world().m[0][2] * marker->world().m[0][2],
                1.0f, 1e-4f)
        << "not highlighted: scale 1";

    // Highlighted: turned by 0.01 radians a millisecond, scaled by
    // sin(phase) + 2.
    drawManagerLocation(0, true, frame);
    EXPECT_NEAR(highlightPhase(), 0.2f, 1e-6f);
    const Vector3 x0{marker->world().m[0][0], marker->world().m[0][1], marker->world().m[0][2]};
    EXPECT_NEAR(length(x0), 2.19867f, 1e-4f);
    drawManagerLocation(0, true, frame);
    EXPECT_NEAR(highlightPhase(), 0.4f, 1e-6f);
    const Vector3 x1{marker->world().m[0][0], marker->world().m[0][1], marker->world().m[0][2]};
    EXPECT_NEAR(length(x1), 2.38942f, 1e-4f);
    EXPECT_NEAR(marker->world().m[3][0], kEarth.x - 128.0f, 1e-3f);
}

} // namespace
} // namespace gv
