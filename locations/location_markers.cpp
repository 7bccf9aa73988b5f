#include "locations/location_markers.h"

#include "engine/bitmap_font.h"
#include "engine/mesh.h"
#include "engine/renderer.h"
#include "engine/text_atlas.h"
#include "formats/preferences.h"
#include "formats/time_zones.h"
#include "locations/earth_occlusion.h"
#include "locations/label_declutter.h"
#include "locations/locations_files.h"
#include "scene/earth_frame.h"
#include "scene/scene_state.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace gv {

namespace {

constexpr int32_t kDefaultLabelColour = 9;
// The flat map: longitude -180..180 spans z 256..-256, latitude -90..90
// spans y -185.6..185.6, in the plane x = -128.
constexpr float kFlatMapX = -128.0f;
constexpr float kFlatMapYPerRadian = 118.15663f;
constexpr float kFlatMapZPerRadian = -81.48733f;
constexpr float kHighlightTurnPerMs = 0.01f;

float gHighlightPhase = 0.0f;

// A chosen place's marker and label as the frame found them, between
// deciding which labels are drawn and drawing them.
struct GlobePlace {
    Vector3 point;
    float x = 0, y = 0;
    GlobeLabel label{};
    bool drawn = false; // false: the globe covers marker and label
};
std::vector<GlobePlace> gGlobePlaces;

void rowTimesMatrix(const float in[4], const Matrix4& m, float out[4]) {
    for (int j = 0; j < 4; ++j)
        out[j] = in[0] * m.m[0][j] + in[1] * m.m[1][j] + in[2] * m.m[2][j] + in[3] * m.m[3][j];
}

bool ready(const LocationsFrame& frame) {
    const LocationsBinding& b = locations().bound;
    return b.renderer && b.mainFont && b.cityMarker && b.prefs && frame.scene && frame.camera;
}

// The approximate local time when the option is on, else nothing.
const char* labelTime(const LocationRecord& place, const LocationsFrame& frame, char (&time)[12]) {
    if (!isOn(locations().bound.prefs->labelsShowTime)) return nullptr;
    approximateLocalTimeInto(place, frame.utc, time);
    return time;
}

// The name, and under it the time when there is one.
void drawLabel(const LocationRecord& place, float x, float y, float depth, uint32_t colour,
               float scale, const char* time) {
    const LocationsBinding& b = locations().bound;
    if (time)
        b.renderer->drawText(*b.mainFont, x, y, depth, colour, scale, scale, "%.*s\n%s",
                             int(kLocationNameSize), place.name, time);
    else
        b.renderer->drawText(*b.mainFont, x, y, depth, colour, scale, scale, "%.*s",
                             int(kLocationNameSize), place.name);
}

float textWidth(const BitmapFont& font, const char* text, std::size_t limit) {
    float width = 0.0f;
    for (std::size_t i = 0; i < limit && text[i] != 0; ++i)
        width += float(font.glyphWidth(static_cast<unsigned char>(text[i])));
    return width;
}

// The rectangle a label's text covers: its widest line by its lines.
LabelBox labelBox(const LocationRecord& place, float x, float y, float scale, const char* time) {
    const BitmapFont& font = *locations().bound.mainFont;
    float width = textWidth(font, place.name, kLocationNameSize);
    if (time) width = std::max(width, textWidth(font, time, 12));
    const float height = float(font.lineHeight()) * (time ? 2.0f : 1.0f);
    return {x, y, x + width * scale, y + height * scale};
}

// A place behind the globe whose marker and whole label the earth covers:
// the depth test would keep none of their pixels.
bool coveredByEarth(const EarthOcclusion& cover, const Vector3& point, const LabelBox& box) {
    // The marker reaches about two units round its point.
    if (!cover.coversPoint(point, kEarthCoverRadius - 3.0f)) return false;
    return cover.coversPixel(box.left, box.top, kEarthCoverRadius) &&
           cover.coversPixel(box.right, box.top, kEarthCoverRadius) &&
           cover.coversPixel(box.left, box.bottom, kEarthCoverRadius) &&
           cover.coversPixel(box.right, box.bottom, kEarthCoverRadius);
}

} // namespace

ScreenProjection projectToScreen(const Vector3& point, const Matrix4& view,
                                 const Matrix4& projection, int width, int height) {
    const float p[4] = {point.x, point.y, point.z, 1.0f};
    float v[4], c[4];
    rowTimesMatrix(p, view, v);
    rowTimesMatrix(v, projection, c);
    const float w = c[3] == 0.0f ? 1.0f : c[3];
    const float halfW = float(width) * 0.5f;
    return {halfW + c[0] / w * halfW, float(height) * 0.5f - c[1] / w * halfW, w};
}

Vector3 globeMarkerPoint(const LocationRecord& place, float earthRotation, const Vector3& centre) {
    const float phi = place.latitude * kRadiansPerDegree + 0.0085f;
    const float lambda = place.longitude * kRadiansPerDegree;
    const float theta = phi - 1.57f;
    const float r = kMarkerSphereRadius;
    return {centre.x + std::cos(earthRotation + lambda) * std::sin(theta) * r,
            centre.y + std::cos(theta) * r,
            centre.z + std::sin(earthRotation + lambda) * std::sin(theta) * r};
}

Vector3 globeMarkerPoint(const LocationRecord& place, const SceneState& scene) {
    if (!scene.trueSeasons) return globeMarkerPoint(place, scene.earthYaw, scene.earthPosition);
    // In the earth's own frame, then turned with the tilted earth.
    const Vector3 onEarth = globeMarkerPoint(place, 0.0f, Vector3{});
    return scene.earthPosition + earthToWorld(scene.earthTransform, onEarth);
}

Vector3 flatMapPoint(const LocationRecord& place) {
    return {kFlatMapX, place.latitude * kRadiansPerDegree * kFlatMapYPerRadian,
            place.longitude * kRadiansPerDegree * kFlatMapZPerRadian};
}

GlobeLabel globeLabel(float w, float centreW, uint32_t paletteColour) {
    GlobeLabel label;
    label.depth = w <= centreW ? kLabelFrontDepth : kLabelBehindDepth;
    label.scale = 1.25f - w / centreW;
    // The low eight bits of the truncated value: a place far behind the
    // globe wraps round, but its label lies behind the globe then.
    double alpha = std::trunc(255.0 * double(label.scale));
    if (!(alpha > -1e9 && alpha < 1e9)) alpha = 0.0;
    const uint32_t a = uint32_t(int64_t(alpha)) & 0xFFu;
    label.colour = (paletteColour & 0x00FFFFFFu) | a << 24;
    return label;
}

std::unique_ptr<Mesh> buildCityMarker(Renderer& renderer) {
    const uint32_t slot = renderer.createMaterial();
    Material& m = renderer.material(slot);
    m.setTexture(nullptr);
    m.setBlendMode(MaterialBlendMode::Opaque);
    m.cullMode = d3d::kCullNone;
    m.zTest = true;
    m.zWrite = false;
    // Red by its own light alone: neither the sun nor the full ambient light
    // of the flat map turns it pink.
    m.setDiffuse(0, 0, 0, 1);
    m.setAmbient(0, 0, 0, 1);
    m.setSpecular(0, 0, 0, 1);
    m.setEmissive(1, 0, 0, 1);
    auto marker = std::make_unique<Mesh>(renderer);
    marker->appendVertex({0.0f, -1.5f, 0.0f, 0, 0, -1, 0, 0});
    marker->appendVertex({1.5f, 1.5f, 0.0f, 0, 0, -1, 1, 0});
    marker->appendVertex({-1.5f, 1.5f, 0.0f, 0, 0, -1, 1, 1});
    MeshFace face;
    face.a = 0;
    face.b = 2;
    face.c = 1;
    face.material = int32_t(slot);
    marker->appendFace(face);
    if (!marker->finalize()) return nullptr;
    return marker;
}

float& highlightPhase() {
    return gHighlightPhase;
}

void drawGlobeLocations(const LocationsFrame& frame) {
    const std::vector<uint32_t>& selection = selectedIndices();
    if (selection.empty() || !ready(frame)) return;
    LocationsState& s = locations();
    const LocationsBinding& b = s.bound;
    LabelDeclutter& declutterer = s.labelDeclutter;
    const SceneState& scene = *frame.scene;
    const Matrix4& view = frame.camera->view();
    const Matrix4& projection = frame.camera->projection();
    const Vector3 eye = frame.camera->position();
    const float centreW =
        projectToScreen(scene.earthPosition, view, projection, frame.width, frame.height).w;
    const uint32_t palette = overlayColour(b.prefs->labelColour, kDefaultLabelColour);
    Mesh& marker = *b.cityMarker;
    const EarthOcclusion cover(*frame.camera, scene.earthPosition, frame.width, frame.height);
    const bool declutter = optionOn(*b.prefs, OptionFlag::LabelsDeclutter);
    if (declutter)
        declutterer.beginFrame(selection.size(), frame.frameMs);
    else
        declutterer.reset();
    if (gGlobePlaces.size() < selection.size()) gGlobePlaces.resize(selection.size());
    char buffer[12];
    for (std::size_t slot = 0; slot < selection.size(); ++slot) {
        GlobePlace& at = gGlobePlaces[slot];
        at.drawn = false;
        const uint32_t index = selection[slot];
        if (index >= s.places.size()) continue;
        const LocationRecord& place = s.places[index];
        at.point = globeMarkerPoint(place, scene);
        const ScreenProjection p =
            projectToScreen(at.point, view, projection, frame.width, frame.height);
        at.label = globeLabel(p.w, centreW, palette);
        at.x = p.sx + 8.0f;
        at.y = p.sy - 6.0f;
        const LabelBox box =
            labelBox(place, at.x, at.y, at.label.scale, labelTime(place, frame, buffer));
        if (at.label.depth == kLabelBehindDepth && coveredByEarth(cover, at.point, box)) continue;
        at.drawn = true;
        if (declutter) declutterer.offer(slot, index, p.w, box);
    }
    if (declutter) declutterer.place();
    // The labels go out together after the markers, a quad a line from the
    // atlas; each label still lies over the labels before it.
    if (!s.labelAtlas)
        s.labelAtlas = std::make_unique<TextAtlas>(b.renderer->device(), *b.mainFont);
    b.renderer->beginTextBatch(*b.mainFont, s.labelAtlas.get());
    for (std::size_t slot = 0; slot < selection.size(); ++slot) {
        const GlobePlace& at = gGlobePlaces[slot];
        if (!at.drawn) continue;
        marker.world().setFacing(at.point, eye);
        marker.draw();
        if (declutter && !declutterer.shown(slot)) continue;
        const LocationRecord& place = s.places[selection[slot]];
        drawLabel(place, at.x, at.y, at.label.depth, at.label.colour, at.label.scale,
                  labelTime(place, frame, buffer));
    }
    b.renderer->endTextBatch();
}

void drawManagerLocation(uint32_t index, bool highlighted, const LocationsFrame& frame) {
    const LocationsState& s = locations();
    if (index >= s.places.size() || !ready(frame)) return;
    const LocationsBinding& b = s.bound;
    const LocationRecord& place = s.places[index];
    const Vector3 point = transformPoint(flatMapPoint(place), frame.scene->earthTransform);
    const ScreenProjection at = projectToScreen(
        point, frame.camera->view(), frame.camera->projection(), frame.width, frame.height);
    Matrix4& world = b.cityMarker->world();
    Matrix4 facing;
    facing.setFacing(point, frame.camera->position());
    if (highlighted) {
        // Kept within a turn; sin and cos see the same angle.
        gHighlightPhase =
            std::fmod(gHighlightPhase + float(frame.frameMs) * kHighlightTurnPerMs, kTwoPi);
        world.setScale(std::sin(gHighlightPhase) + 2.0f);
        Matrix4 turn;
        turn.setRotationZ(gHighlightPhase);
        world.multiply(turn);
        world.multiply(facing);
    } else {
        world = facing;
    }
    b.cityMarker->draw();
    char buffer[12];
    drawLabel(place, at.sx + 8.0f, at.sy - 9.0f, kLabelFrontDepth,
              overlayColour(b.prefs->labelColour, kDefaultLabelColour), 0.5f,
              labelTime(place, frame, buffer));
}

} // namespace gv
