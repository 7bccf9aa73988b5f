// Renders a small scene through the engine's public operations on a real
// window, captures the frame to TGA and checks chosen pixels against values
// worked out from the lighting and blending rules.
//   engine_render_check render OUT.tga   lit textured mesh, culling, alpha
//                                         rectangle, text with colour escape,
//                                         point and line
//   engine_render_check depth OUT.tga    near hides far; depth read-back
//   engine_render_check console OUT.tga  the start-up console's text face
//   engine_render_check specular OUT.tga per-vertex specular highlight
//   engine_render_check modechange OUT.tga  a run-time mode change restores
//                                         textures and the 3D part
//   engine_render_check surface OUT.tga  a planet's night map by the twilight
//                                         weight, its rim of air, the ring of
//                                         air round its disc
//   engine_render_check labels OUT.tga   a label's pixels drawn from the text
//                                         atlas against its glyph quads
//   engine_render_check sprites OUT.tga  the sun's glare and the glow drawn
//                                         over their lit cells against whole
//                                         quads
//   engine_render_check stages OUT.tga   texture stage 0's operations and
//                                         arguments, with and without a
//                                         texture, with specular added
#include "engine/bitmap.h"
#include "engine/bitmap_font.h"
#include "engine/display_device.h"
#include "engine/error_name.h"
#include "engine/gl/gl_backend.h"
#include "engine/mesh.h"
#include "engine/render_backend.h"
#include "engine/renderer.h"
#include "engine/stage_shape.h"
#include "engine/surface_effects.h"
#include "engine/text_atlas.h"
#include "engine/texture.h"
#include "engine/tga_image.h"
#include "platform/display_modes.h"
#include "platform/resources.h"
#include "platform/window.h"
#include "resources/builtin_resources.h"
#include "scene/air_shell.h"
#include "scene/planet_objects.h"
#include "scene/sun_effects.h"
#include "tests/engine/test_images.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace gv;

namespace {

constexpr int kWidth = 320, kHeight = 240;
constexpr float kFov = 1.0f;
int gFailures = 0;

void check(bool ok, const std::string& what) {
    std::printf("%s %s\n", ok ? "PASS" : "FAIL", what.c_str());
    if (!ok) ++gFailures;
}

struct Image {
    TgaImage tga;
    void pixel(int x, int y, int& r, int& g, int& b) const {
        const uint8_t* p = tga.pixels().data() + (size_t(y) * tga.width() + size_t(x)) * 3;
        b = p[0];
        g = p[1];
        r = p[2];
    }
};

void expectPixel(const Image& img, int x, int y, double er, double eg, double eb, int tol,
                 const char* what) {
    int r, g, b;
    img.pixel(x, y, r, g, b);
    const bool ok = std::abs(r - er) <= tol && std::abs(g - eg) <= tol && std::abs(b - eb) <= tol;
    char line[256];
    std::snprintf(line, sizeof line, "%s at (%d,%d): got %d,%d,%d expected %.1f,%.1f,%.1f", what, x,
                  y, r, g, b, er, eg, eb);
    check(ok, line);
}

// World point at depth z that lands on the centre of pixel (px, py) with the
// camera at the origin looking down +z.
Vector3 worldAt(float px, float py, float z) {
    const float t = std::tan(kFov * 0.5f);
    const float ndcX = (px + 0.5f) / kWidth * 2.0f - 1.0f;
    const float ndcY = 1.0f - (py + 0.5f) / kHeight * 2.0f;
    return {ndcX * z * t, ndcY * z * t * float(kHeight) / float(kWidth), z};
}

void addQuad(Mesh& mesh, float x0, float y0, float x1, float y1, float z, int material,
             bool reversed) {
    const uint32_t base = uint32_t(mesh.vertices().size());
    // Top left, top right, bottom right, bottom left; normals face the camera.
    mesh.appendVertex({x0, y1, z, 0, 0, -1, 0, 0});
    mesh.appendVertex({x1, y1, z, 0, 0, -1, 1, 0});
    mesh.appendVertex({x1, y0, z, 0, 0, -1, 1, 1});
    mesh.appendVertex({x0, y0, z, 0, 0, -1, 0, 1});
    MeshFace f1, f2;
    // Clockwise on screen is the front under counter-clockwise culling.
    f1.a = base;
    f1.b = base + 1;
    f1.c = base + 2;
    f2.a = base;
    f2.b = base + 2;
    f2.c = base + 3;
    if (reversed) {
        std::swap(f1.b, f1.c);
        std::swap(f2.b, f2.c);
    }
    f1.material = f2.material = material;
    mesh.appendFace(f1);
    mesh.appendFace(f2);
}

// A font sheet of two 8 x 8 cells, 'A' and 'B', each a 6 x 6 white block in
// a one-pixel border of the background colour (the top-left pixel).
std::vector<uint8_t> gSheet, gMetrics;
platform::ResourceEntry gResources[2];

void registerFont() {
    std::vector<uint8_t> idx(32 * 16, 0);
    for (int cell = 0; cell < 2; ++cell)
        for (int y = 1; y < 7; ++y)
            for (int x = 1; x < 7; ++x)
                idx[size_t(y) * 32 + size_t(cell * 8 + x)] = 1;
    gSheet = test::makeDib8(32, 16, {{255, 0, 255}, {255, 255, 255}}, idx);
    gMetrics =
        test::makePyxf({{'A', 8, 8, 0, 0, 16384, 32768}, {'B', 8, 8, 16384, 0, 32768, 32768}});
    gResources[0] = {platform::kResourceBinary, 900, gMetrics};
    gResources[1] = {platform::kResourceBitmap, 901, gSheet};
    platform::setResourceTable(gResources);
}

int renderCase(Renderer& r, DisplayDevice& device, const char* out) {
    Camera camera(kFov, kWidth, kHeight);

    // Texture: left half one colour, right half another.
    uint8_t pixels[4 * 4 * 4];
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            uint8_t* p = pixels + (y * 4 + x) * 4;
            const bool left = x < 2;
            p[0] = left ? 50 : 160; // blue
            p[1] = left ? 100 : 220;
            p[2] = left ? 200 : 40; // red
            p[3] = 255;
        }
    Texture texture(device);
    check(texture.createFromPixels(4, 4, 32, 0, pixels) == kResultOk, "texture from pixels");

    const uint32_t lit = r.createMaterial();
    Material& m = r.material(lit);
    m.setDiffuse(0.8f, 0.6f, 0.4f, 1.0f);
    m.setAmbient(0.5f, 0.5f, 0.5f, 1.0f);
    m.setEmissive(0.0f, 0.0f, 0.0f, 1.0f);
    m.setTexture(&texture);
    const uint32_t white = r.createMaterial();
    r.material(white).setEmissive(1.0f, 1.0f, 1.0f, 1.0f);

    auto light = r.createLight();
    const Vector3 lightPos{0.0f, 86602.54f, -50000.0f};
    light->setPosition(lightPos.x, lightPos.y, lightPos.z);
    r.setAmbientLight(0.2f, 0.2f, 0.2f);

    Mesh quad(r);
    addQuad(quad, -3.0f, -2.0f, 3.0f, 2.0f, 10.0f, int(lit), false);
    check(quad.finalize(), "lit mesh finalize");
    Mesh markers(r);
    addQuad(markers, -4.5f, -0.5f, -3.5f, 0.5f, 10.0f, int(white), false);
    addQuad(markers, 3.5f, -0.5f, 4.5f, 0.5f, 10.0f, int(white), true);
    check(markers.finalize(), "marker mesh finalize");

    BitmapFont font(device);
    check(font.loadFont(900, 901), "font loads");

    r.beginFrame(camera, kClearTarget | kClearZBuffer);
    quad.draw();
    markers.draw();
    r.bindTexture(nullptr);
    r.drawScreenRect(100, 20, 140, 100, 0x80FF0000u, false, 0.5f);
    r.drawText(font, 40, 200, 0.5f, 0xFFFFFFFFu, 2.0f, 2.0f, "A\tFF00FF00B");
    r.bindTexture(nullptr);
    const Vector3 p = worldAt(300, 30, 10.0f);
    r.drawPoint(p.x, p.y, p.z, 0xFFFFFF00u);
    const Vector3 a = worldAt(10, 230, 10.0f), b = worldAt(60, 230, 10.0f);
    r.drawLine(a.x, a.y, a.z, b.x, b.y, b.z);
    r.endFrame();
    device.present();
    // The capture comes after the present, as a screenshot does.
    check(captureFrame(device, out), "capture frame");

    Image img;
    check(img.tga.read(out), "captured TGA reads back");
    check(img.tga.width() == kWidth && img.tga.height() == kHeight && img.tga.depth() == 24,
          "captured TGA is 320x240x24");
    if (img.tga.pixels().empty()) return 1;

    // Lighting: emissive + ambient * ambient light + diffuse * light * N.L.
    const Vector3 centre{0.0f, 0.0f, 10.0f};
    const Vector3 l = normalize(lightPos - centre);
    const double ndl = std::max(0.0f, -l.z);
    const double lr = 0.5 * 0.2 + 0.8 * ndl, lg = 0.5 * 0.2 + 0.6 * ndl, lb = 0.5 * 0.2 + 0.4 * ndl;
    // Modulated by the texture: left half (200, 100, 50), right (40, 220, 160).
    expectPixel(img, 90, 150, lr * 200, lg * 100, lb * 50, 2, "lit textured mesh, left texel");
    expectPixel(img, 230, 150, lr * 40, lg * 220, lb * 160, 2, "lit textured mesh, right texel");
    expectPixel(img, 40, 120, 255, 255, 255, 0, "front-facing marker");
    expectPixel(img, 277, 120, 0, 0, 0, 0, "back-facing marker culled");
    // Alpha 0x80 over black and over the lit mesh.
    const double alpha = 128.0 / 255.0;
    expectPixel(img, 120, 40, 255 * alpha, 0, 0, 1, "alpha rectangle over background");
    expectPixel(img, 120, 90, 255 * alpha + lr * 200 * (1 - alpha), lg * 100 * (1 - alpha),
                lb * 50 * (1 - alpha), 2, "alpha rectangle over mesh");
    expectPixel(img, 48, 208, 255, 255, 255, 0, "glyph A in the starting colour");
    expectPixel(img, 64, 208, 0, 255, 0, 0, "glyph B after the colour escape");
    expectPixel(img, 41, 201, 0, 0, 0, 0, "glyph border transparent");
    expectPixel(img, 300, 30, 255, 255, 0, 0, "point");
    expectPixel(img, 301, 30, 0, 0, 0, 0, "beside the point");
    expectPixel(img, 35, 230, 255, 255, 255, 0, "line");
    expectPixel(img, 35, 228, 0, 0, 0, 0, "beside the line");
    expectPixel(img, 5, 5, 0, 0, 0, 0, "cleared background");
    return 0;
}

int depthCase(Renderer& r, DisplayDevice& device, const char* out) {
    Camera camera(kFov, kWidth, kHeight);
    const uint32_t red = r.createMaterial(), blue = r.createMaterial();
    for (uint32_t i : {red, blue}) {
        r.material(i).setDiffuse(0, 0, 0, 1);
        r.material(i).setAmbient(0, 0, 0, 1);
    }
    r.material(red).setEmissive(1, 0, 0, 1);
    r.material(blue).setEmissive(0, 0, 1, 1);
    Mesh nearQuad(r), farQuad(r);
    addQuad(nearQuad, -1, -1, 1, 1, 5.0f, int(red), false);
    addQuad(farQuad, -8, -6, 8, 6, 20.0f, int(blue), false);
    check(nearQuad.finalize() && farQuad.finalize(), "depth meshes finalize");
    r.beginFrame(camera, kClearTarget | kClearZBuffer);
    r.bindTexture(nullptr);
    nearQuad.draw(); // nearer first: the far one must fail the depth test
    farQuad.draw();
    r.endFrame();
    device.present();
    check(captureFrame(device, out), "capture frame");
    Image img;
    check(img.tga.read(out), "captured TGA reads back");
    if (img.tga.pixels().empty()) return 1;
    expectPixel(img, 160, 120, 255, 0, 0, 0, "near quad hides far quad");
    expectPixel(img, 60, 60, 0, 0, 255, 0, "far quad beside the near one");

    // Depth of a point at view z: Q (z - n) / (s z) with Q = s / (1 - n/f).
    auto expected = [](double z) { return (z - 1.0) / (z * (1.0 - 1.0 / 650.0)); };
    float dNear = -1, dFar = -1;
    check(device.backend().readDepth(160, 120, dNear), "depth read at the near quad");
    check(device.backend().readDepth(60, 60, dFar), "depth read at the far quad");
    char line[200];
    std::snprintf(line, sizeof line, "near depth %.5f expected %.5f", dNear, expected(5.0));
    check(std::fabs(dNear - expected(5.0)) < 1e-3, line);
    std::snprintf(line, sizeof line, "far depth %.5f expected %.5f", dFar, expected(20.0));
    check(std::fabs(dFar - expected(20.0)) < 1e-3, line);
    check(dNear < dFar, "depth orders near before far");
    return 0;
}

int consoleCase(Renderer& r, DisplayDevice& device, const char* out) {
    // The console draws outside the frame, straight onto the back buffer.
    device.clearSurface(0);
    r.drawConsoleText(10, 10, "Creating 3D renderer ....", 0xFFFF80u);
    r.drawConsoleText(10, 24, "I", 0xFFFF80u);
    device.present();
    check(captureFrame(device, out), "capture frame");
    Image img;
    check(img.tga.read(out), "captured TGA reads back");
    if (img.tga.pixels().empty()) return 1;
    int lit = 0, other = 0;
    for (int y = 10; y < 18; ++y)
        for (int x = 10; x < 10 + 25 * 6; ++x) {
            int cr, cg, cb;
            img.pixel(x, y, cr, cg, cb);
            if (cr == 255 && cg == 255 && cb == 128)
                ++lit;
            else if (cr || cg || cb)
                ++other;
        }
    check(lit > 100 && other == 0,
          "console line drawn in 255, 255, 128 only (" + std::to_string(lit) + " pixels)");
    // "I" in a 6 x 8 cell: its middle column is set from the top row to the
    // seventh, and nothing lies outside the cell.
    expectPixel(img, 12, 24, 255, 255, 128, 0, "console glyph I, top");
    expectPixel(img, 12, 30, 255, 255, 128, 0, "console glyph I, bottom");
    expectPixel(img, 12, 31, 0, 0, 0, 0, "below the console glyph");
    expectPixel(img, 16, 27, 0, 0, 0, 0, "beside the console glyph");

    // The renderer's own states are intact afterwards: an alpha rectangle
    // still blends.
    Camera camera(kFov, kWidth, kHeight);
    r.beginFrame(camera, kClearTarget | kClearZBuffer);
    r.bindTexture(nullptr);
    r.drawScreenRect(0, 100, 50, 150, 0x80FFFFFFu, true, 0.5f);
    r.endFrame();
    check(captureFrame(device, out), "capture frame after the console");
    Image after;
    check(after.tga.read(out), "second capture reads back");
    if (after.tga.pixels().empty()) return 1;
    expectPixel(after, 20, 120, 128, 128, 128, 1, "alpha rectangle after console drawing");
    return 0;
}

int specularCase(Renderer& r, DisplayDevice& device, const char* out) {
    // The software device starts with specular off; switch it on at the device
    // to check the highlight term of the lighting.
    device.backend().setRenderState(RenderState::SpecularEnable, 1);
    const uint32_t mat = r.createMaterial();
    Material& m = r.material(mat);
    m.setDiffuse(0.2f, 0.2f, 0.2f, 1.0f);
    m.setAmbient(0, 0, 0, 1);
    m.setSpecular(0.75f, 0.5f, 0.25f, 1.0f);
    m.setPower(3.0f);
    auto light = r.createLight();
    const Vector3 lightPos{0.0f, 0.0f, -1000.0f}; // behind the camera
    light->setPosition(lightPos.x, lightPos.y, lightPos.z);
    r.setAmbientLight(0, 0, 0);
    Mesh quad(r);
    addQuad(quad, -3, -2, 3, 2, 10.0f, int(mat), false);
    check(quad.finalize(), "mesh finalize");
    Camera camera(kFov, kWidth, kHeight);
    r.beginFrame(camera, kClearTarget | kClearZBuffer);
    r.bindTexture(nullptr);
    quad.draw();
    r.endFrame();
    check(captureFrame(device, out), "capture frame");
    Image img;
    check(img.tga.read(out), "captured TGA reads back");
    if (img.tga.pixels().empty()) return 1;
    // Lit per vertex: all four corners see the same light, so the centre has
    // the corners' value. Half vector between the light and the eye.
    const Vector3 corner{3.0f, 2.0f, 10.0f};
    const Vector3 l = normalize(lightPos - corner);
    const Vector3 v = normalize(Vector3{0, 0, 0} - corner);
    const Vector3 h = normalize(l + v);
    const double ndl = -l.z, ndh = -h.z;
    const double hl = std::pow(ndh, 3.0);
    expectPixel(img, 160, 120, 255 * std::min(1.0, 0.2 * ndl + 0.75 * hl),
                255 * std::min(1.0, 0.2 * ndl + 0.5 * hl),
                255 * std::min(1.0, 0.2 * ndl + 0.25 * hl), 2, "diffuse plus specular highlight");
    return 0;
}

int modeChangeCase(Renderer& r, DisplayDevice& device, const char* out) {
    uint8_t pixels[2 * 2 * 4];
    for (int i = 0; i < 4; ++i) {
        pixels[i * 4 + 0] = 30;
        pixels[i * 4 + 1] = 60;
        pixels[i * 4 + 2] = 90;
        pixels[i * 4 + 3] = 255;
    }
    Texture texture(device);
    check(texture.createFromPixelsRegistered(2, 2, 32, 8, pixels) == kResultOk,
          "registered texture");
    const uint32_t firstId = texture.deviceId();
    const uint32_t mat = r.createMaterial();
    r.material(mat).setDiffuse(0, 0, 0, 1);
    r.material(mat).setAmbient(0, 0, 0, 1);
    r.material(mat).setEmissive(1, 1, 1, 1);
    r.material(mat).setTexture(&texture);
    Mesh quad(r);
    addQuad(quad, -3, -2, 3, 2, 10.0f, int(mat), false);
    check(quad.finalize(), "mesh finalize");

    // What the options overlay does on Enter: release the 3D part, change
    // the mode, create the 3D part again.
    r.release3D();
    check(device.changeMode(0), "change mode");
    check(r.create3D(true) == kResultOk, "3D part created again");
    check(texture.deviceId() != 0 && texture.deviceId() != firstId,
          "registered texture uploaded again");

    Camera camera(kFov, device.width(), device.height());
    r.beginFrame(camera, kClearTarget | kClearZBuffer);
    quad.draw();
    r.endFrame();
    device.present();
    check(captureFrame(device, out), "capture frame");
    Image img;
    check(img.tga.read(out), "captured TGA reads back");
    if (img.tga.pixels().empty()) return 1;
    expectPixel(img, 160, 120, 90, 60, 30, 0, "textured mesh after the mode change");
    return 0;
}

// A latitude-longitude sphere about centre, normals outward, faces clockwise
// on screen seen from outside (kept under counter-clockwise culling).
void addSphere(Mesh& mesh, const Vector3& centre, float radius, int material) {
    constexpr int kStacks = 48, kSlices = 96;
    constexpr float kPiF = 3.14159265f;
    for (int i = 0; i <= kStacks; ++i) {
        const float phi = float(i) * kPiF / float(kStacks);
        for (int k = 0; k <= kSlices; ++k) {
            const float theta = float(k) * 2.0f * kPiF / float(kSlices);
            const Vector3 n{std::sin(phi) * std::cos(theta), std::cos(phi),
                            std::sin(phi) * std::sin(theta)};
            const Vector3 p = centre + radius * n;
            mesh.appendVertex({p.x, p.y, p.z, n.x, n.y, n.z, 0.5f, 0.5f});
        }
    }
    for (int i = 0; i < kStacks; ++i)
        for (int k = 0; k < kSlices; ++k) {
            const uint32_t a = uint32_t(i * (kSlices + 1) + k), b = a + uint32_t(kSlices + 1);
            MeshFace f1, f2;
            f1.a = a;
            f1.b = b + 1;
            f1.c = b;
            f2.a = a;
            f2.b = a + 1;
            f2.c = b + 1;
            f1.material = f2.material = material;
            mesh.appendFace(f1);
            mesh.appendFace(f2);
        }
}

// Where the ray through pixel (px, py) meets a sphere: the near (far = false)
// or far point; false when it misses.
bool rayHitsSphere(int px, int py, const Vector3& centre, float radius, bool far, Vector3& hit) {
    const Vector3 d = normalize(worldAt(float(px), float(py), 1.0f));
    const float b = dot(d, centre);
    const float disc = b * b - dot(centre, centre) + radius * radius;
    if (disc <= 0.0f) return false;
    const float t = far ? b + std::sqrt(disc) : b - std::sqrt(disc);
    hit = t * d;
    return true;
}

int surfaceCase(Renderer& r, DisplayDevice& device, const char* out) {
    // A black planet: without its effects nothing of it shows, so what is
    // on screen is the effect alone.
    constexpr uint8_t kNight[3] = {200, 120, 40};
    uint8_t pixels[2 * 2 * 4];
    for (int i = 0; i < 4; ++i) {
        pixels[i * 4 + 0] = kNight[2];
        pixels[i * 4 + 1] = kNight[1];
        pixels[i * 4 + 2] = kNight[0];
        pixels[i * 4 + 3] = 255;
    }
    Texture night(device);
    check(night.createFromPixels(2, 2, 32, 0, pixels) == kResultOk, "night texture");
    const Vector3 centre{0.0f, 0.0f, 10.0f}, lightPos{1000.0f, 0.0f, 10.0f};
    constexpr float kRadius = 3.0f;
    auto black = [&](uint32_t mat) {
        Material& m = r.material(mat);
        m.setDiffuse(0, 0, 0, 1);
        m.setAmbient(0, 0, 0, 1);
        m.setEmissive(0, 0, 0, 1);
        return mat;
    };
    const uint32_t planetMat = black(r.createMaterial());
    Mesh planet(r);
    addSphere(planet, centre, kRadius, int(planetMat));
    check(planet.finalize(), "planet finalize");
    auto light = r.createLight();
    light->setPosition(lightPos.x, lightPos.y, lightPos.z);
    r.setAmbientLight(0, 0, 0);
    Camera camera(kFov, kWidth, kHeight);
    auto frame = [&](const char* name) {
        r.beginFrame(camera, kClearTarget | kClearZBuffer);
        planet.draw();
        r.endFrame();
        check(captureFrame(device, out), std::string("capture ") + name);
        Image img;
        check(img.tga.read(out), std::string("read ") + name);
        return img;
    };
    // The sine of the sun's altitude where the ray through a pixel meets
    // the planet (false when it misses).
    auto sunSine = [&](int px, int py, float& sine) {
        Vector3 p;
        if (!rayHitsSphere(px, py, centre, kRadius, false, p)) return false;
        sine = dot(normalize(p - centre), normalize(lightPos - p));
        return true;
    };

    // The night map alone, by the twilight weight, across the middle row.
    r.material(planetMat).setSurface(SurfaceShading::Planet, &night, 0.0f);
    Image lights = frame("night map");
    if (lights.tga.pixels().empty()) return 1;
    int checked = 0, worst = 0;
    bool sawDay = false, sawNight = false, sawTwilight = false;
    for (int px = 0; px < kWidth; ++px) {
        float sine = 0.0f;
        if (!sunSine(px, 120, sine) || std::fabs(sine) > 0.9f) continue; // not at the limb
        const float w = twilightWeight(sine);
        int cr, cg, cb;
        lights.pixel(px, 120, cr, cg, cb);
        worst = std::max({worst, std::abs(cr - int(std::lround(w * kNight[0]))),
                          std::abs(cg - int(std::lround(w * kNight[1]))),
                          std::abs(cb - int(std::lround(w * kNight[2])))});
        ++checked;
        sawDay |= sine > kTwilightSine;
        sawNight |= sine < -kTwilightSine;
        sawTwilight |= std::fabs(sine) < 0.5f * kTwilightSine;
    }
    char line[160];
    std::snprintf(line, sizeof line,
                  "night map by the twilight weight over %d pixels: worst difference %d", checked,
                  worst);
    check(checked > 100 && sawDay && sawNight && sawTwilight && worst <= 6, line);

    // The rim alone: blue on the lit limb, nothing on the dark limb or where
    // the surface faces the camera.
    r.material(planetMat).setSurface(SurfaceShading::Planet, nullptr, 0.6f);
    Image rim = frame("rim");
    if (rim.tga.pixels().empty()) return 1;
    int litEdge = -1, darkEdge = -1;
    for (int px = kWidth - 1; px >= 0 && litEdge < 0; --px) {
        float sine;
        if (sunSine(px, 120, sine)) litEdge = px - 1;
    }
    for (int px = 0; px < kWidth && darkEdge < 0; ++px) {
        float sine;
        if (sunSine(px, 120, sine)) darkEdge = px + 1;
    }
    int lr, lg, lb, dr, dg, db, cr, cg, cb;
    rim.pixel(litEdge, 120, lr, lg, lb);
    rim.pixel(darkEdge, 120, dr, dg, db);
    rim.pixel(160, 120, cr, cg, cb);
    std::snprintf(line, sizeof line, "rim: lit limb %d,%d,%d, dark limb %d,%d,%d, middle %d,%d,%d",
                  lr, lg, lb, dr, dg, db, cr, cg, cb);
    check(lb > 60 && lb > lr + 30 && db < 8 && cb < 8, line);

    // The ring of air round the disc, added: a glow just outside the lit
    // limb, fainter outside the dark one, nothing beyond the air's edge nor
    // over the planet.
    const uint32_t airMat = black(r.createMaterial());
    Material& air = r.material(airMat);
    air.setBlendMode(MaterialBlendMode::Additive);
    air.cullMode = d3d::kCullNone;
    air.zWrite = false;
    air.setSurface(SurfaceShading::AirShell, nullptr, 0.8f);
    auto ring = buildAirRing(r, int32_t(airMat));
    check(ring != nullptr, "air ring built");
    if (!ring) return 1;
    // In units of the earth: this planet is kRadius, the air kAirShellRadius / 128 of it.
    const float scale = kEarthRadius / kRadius;
    check(placeAirRing(*ring, scale * centre, kEarthRadius, Vector3{}), "air ring placed");
    Matrix4 shrink = Matrix4::identity();
    shrink.setScale(1.0f / scale);
    ring->world().multiply(shrink);
    r.material(planetMat).setSurface(SurfaceShading::None, nullptr, 0.0f);
    r.beginFrame(camera, kClearTarget | kClearZBuffer);
    planet.draw();
    ring->draw();
    r.endFrame();
    check(captureFrame(device, out), "capture ring");
    Image glow;
    check(glow.tga.read(out), "read ring");
    if (glow.tga.pixels().empty()) return 1;
    const float airRadius = kRadius * kAirShellRadius / kEarthRadius;
    int outside = -1;
    for (int px = kWidth - 1; px >= 0 && outside < 0; --px) {
        Vector3 p;
        if (rayHitsSphere(px, 120, centre, airRadius, false, p)) outside = px;
    }
    int gr, gg, gb, fr, fg, fb, br, bg, bb, mr, mg, mb;
    glow.pixel(litEdge + 2, 120, gr, gg, gb);
    glow.pixel(darkEdge - 2, 120, fr, fg, fb);
    glow.pixel(outside + 2, 120, br, bg, bb);
    glow.pixel(160, 120, mr, mg, mb);
    std::snprintf(line, sizeof line,
                  "air ring: beyond the lit limb %d,%d,%d, the dark limb %d,%d,%d, beyond the "
                  "air %d,%d,%d, over the planet %d,%d,%d",
                  gr, gg, gb, fr, fg, fb, br, bg, bb, mr, mg, mb);
    check(gb > 40 && gb > gr + 20 && fb < gb / 2 && bb < 4 && mb < 4, line);
    return 0;
}

// The labels of the places, drawn with the program's main font as glyph
// quads and as a quad a line from the atlas, over the same background:
// labels as large and bright as one facing the camera (scale 0.51, alpha
// 0x81) and as small and faint as one on the limb (0.25, 0x3F), with and
// without the time, with bilinear and with nearest filtering. Tolerance: at
// most 2 levels a channel anywhere but in the pixel columns within a pixel
// of where two glyphs meet (there bilinear filtering reads the next glyph
// in the atlas and the sheet's gap on the sheet), and a mean of at most 1
// level over the label's box.
int labelsCase(Renderer& r, DisplayDevice& device, const char* out) {
    resources::registerBuiltinResources();
    BitmapFont font(device);
    check(font.loadFont(resources::kMainFontMetrics, resources::kMainFontSheet), "main font loads");
    TextAtlas atlas(device, font);
    Camera camera(kFov, kWidth, kHeight);
    struct Case {
        const char* what;
        float scale;
        uint32_t colour;
        const char* name;
        const char* time;
    };
    const Case cases[] = {
        {"in front", 0.508549f, 0x81D0B0FFu, "Amsterdam", nullptr},
        {"in front with the time", 0.508549f, 0x81D0B0FFu, "Amsterdam", "13:00:59"},
        {"on the limb", 0.25f, 0x3FD0B0FFu, "Brussels", nullptr},
        {"on the limb with the time", 0.25f, 0x3FD0B0FFu, "Brussels", "13:00:59"},
    };
    // Where a label lands: not on a pixel's edge, as on the globe.
    const float x = 37.3f, y = 41.7f;
    const std::string glyphsOut = std::string(out) + ".glyphs.tga";
    int compared = 0;
    for (bool bilinear : {true, false}) {
        for (const Case& c : cases) {
            auto draw = [&](TextAtlas* with, const std::string& path) {
                r.setBilinearFiltering(bilinear);
                r.beginFrame(camera, kClearTarget | kClearZBuffer);
                r.bindTexture(nullptr);
                r.drawScreenRect(0, 0, kWidth, kHeight, 0xFF305078u, false, 0.9f);
                r.beginTextBatch(font, with);
                if (c.time)
                    r.drawText(font, x, y, 0.00001f, c.colour, c.scale, c.scale, "%s\n%s", c.name,
                               c.time);
                else
                    r.drawText(font, x, y, 0.00001f, c.colour, c.scale, c.scale, "%s", c.name);
                r.endTextBatch();
                r.endFrame();
                device.present();
                Image img;
                const bool ok = captureFrame(device, path.c_str()) && img.tga.read(path.c_str()) &&
                                img.tga.width() == kWidth && img.tga.height() == kHeight;
                check(ok, std::string("capture of the label ") + c.what);
                return img;
            };
            const Image glyphs = draw(nullptr, glyphsOut);
            const Image quads = draw(&atlas, out);
            if (glyphs.tga.pixels().empty() || quads.tga.pixels().empty()) return 1;
            // Where glyphs meet, line by line.
            std::vector<float> joins;
            float widest = 0;
            for (const char* line : {c.name, c.time}) {
                if (!line) continue;
                float pen = x;
                for (const char* p = line; *p != 0; ++p) {
                    pen += float(font.glyphWidth(uint8_t(*p))) * c.scale;
                    if (p[1] != 0) joins.push_back(pen);
                }
                widest = std::max(widest, pen - x);
            }
            const int lines = c.time ? 2 : 1;
            const int x0 = int(x) - 2, y0 = int(y) - 2;
            const int x1 = int(x + widest) + 2,
                      y1 = int(y + float(lines * font.lineHeight()) * c.scale) + 2;
            int worst = 0, inked = 0;
            double sum = 0;
            int count = 0;
            for (int py = y0; py <= y1; ++py)
                for (int px = x0; px <= x1; ++px) {
                    int r0, g0, b0, r1, g1, b1;
                    glyphs.pixel(px, py, r0, g0, b0);
                    quads.pixel(px, py, r1, g1, b1);
                    const int d =
                        std::max({std::abs(r0 - r1), std::abs(g0 - g1), std::abs(b0 - b1)});
                    sum += d;
                    ++count;
                    inked += std::abs(r0 - 0x30) + std::abs(g0 - 0x50) + std::abs(b0 - 0x78) > 6;
                    const bool atJoin = std::any_of(joins.begin(), joins.end(), [&](float j) {
                        return std::fabs(float(px) + 0.5f - j) <= 1.0f;
                    });
                    if (!atJoin) worst = std::max(worst, d);
                }
            char line[256];
            std::snprintf(line, sizeof line,
                          "label %s, %s filtering: %d pixels of ink, worst difference %d away from "
                          "glyph joins, mean %.2f",
                          c.what, bilinear ? "bilinear" : "nearest", inked, worst, sum / count);
            check(inked > 20 && worst <= 2 && sum / count <= 1.0, line);
            ++compared;
        }
    }
    check(compared == 8, "eight labels compared");
    return 0;
}

// The sun's glare (two billboards at different sizes, turned and seen at
// a slant) and the glow, each drawn as the whole 360-unit quad and then over
// its lit cells only, added to a grey sky as the sun pass adds them. The
// cells left out hold black texels only, so the pictures must agree to a
// level (the quads' interiors are cut differently into triangles).
int spritesCase(Renderer& r, DisplayDevice& device, const char* out) {
    resources::registerBuiltinResources();
    Camera camera(kFov, kWidth, kHeight);
    const std::string wholeOut = std::string(out) + ".whole.tga";
    int compared = 0;
    for (uint32_t id : {138u, 121u}) {
        const std::optional<Bitmap> bitmap = loadBitmapResource(id);
        check(bitmap.has_value(), "sprite bitmap " + std::to_string(id));
        if (!bitmap) return 1;
        Texture texture(device);
        check(texture.createFromBitmap("sprite", *bitmap, AlphaMode::Brightness, 32, 8, 0.1f) ==
                  kResultOk,
              "sprite texture");
        const uint32_t slot = r.createMaterial();
        Material& m = r.material(slot);
        m.setTexture(&texture);
        m.setBlendMode(MaterialBlendMode::Additive);
        m.cullMode = d3d::kCullNone;
        m.zWrite = false;
        m.setEmissive(1, 1, 1, 1);
        // The whole quad, as the billboards were drawn before they were cut.
        Mesh whole(r);
        const MeshVertex corners[4] = {{-180, -180, 0, 0, 0, -1, 0, 0},
                                       {180, -180, 0, 0, 0, -1, 1, 0},
                                       {180, 180, 0, 0, 0, -1, 1, 1},
                                       {-180, 180, 0, 0, 0, -1, 0, 1}};
        for (const MeshVertex& v : corners)
            whole.appendVertex(v);
        for (auto [a, b, c] :
             {std::array<uint32_t, 3>{0, 1, 2}, std::array<uint32_t, 3>{0, 2, 3}}) {
            MeshFace f;
            f.a = a;
            f.b = b;
            f.c = c;
            f.material = int32_t(slot);
            whole.appendFace(f);
        }
        check(whole.finalize(), "whole sprite");
        const std::vector<bool> cells = litCells(texture, kBoardGrid);
        const long drawn = std::count(cells.begin(), cells.end(), true);
        std::unique_ptr<Mesh> cut = buildBillboard(r, cells, slot);
        check(cut != nullptr, "sprite over its lit cells");
        if (!cut) return 1;
        auto draw = [&](Mesh& sprite, const std::string& path) {
            r.setBilinearFiltering(true);
            r.beginFrame(camera, kClearTarget | kClearZBuffer);
            r.bindTexture(nullptr);
            r.drawScreenRect(0, 0, kWidth, kHeight, 0xFF202020u, false, 0.9f);
            for (float size : {1.1f, 1.9f}) {
                Matrix4 world = Matrix4::identity();
                world.setScale(size);
                Matrix4 turn;
                turn.setRotationZ(0.35f * size);
                world.multiply(turn);
                Matrix4 slant;
                slant.setRotationY(0.4f);
                world.multiply(slant);
                world.translate(12.0f, -7.0f, 420.0f);
                sprite.world() = world;
                sprite.draw();
            }
            r.endFrame();
            device.present();
            Image img;
            const bool ok = captureFrame(device, path.c_str()) && img.tga.read(path.c_str()) &&
                            img.tga.width() == kWidth && img.tga.height() == kHeight;
            check(ok, "capture of sprite " + std::to_string(id));
            return img;
        };
        const Image a = draw(whole, wholeOut);
        const Image b = draw(*cut, out);
        if (a.tga.pixels().empty() || b.tga.pixels().empty()) return 1;
        int worst = 0, lit = 0;
        double sum = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                int r0, g0, b0, r1, g1, b1;
                a.pixel(x, y, r0, g0, b0);
                b.pixel(x, y, r1, g1, b1);
                worst = std::max({worst, std::abs(r0 - r1), std::abs(g0 - g1), std::abs(b0 - b1)});
                sum += std::abs(r0 - r1) + std::abs(g0 - g1) + std::abs(b0 - b1);
                lit += r0 > 0x20 + 4;
            }
        char line[256];
        std::snprintf(line, sizeof line,
                      "sprite %u over %ld of %d cells: %d pixels lit, worst difference %d, mean "
                      "%.4f",
                      id, drawn, kBoardGrid * kBoardGrid, lit, worst,
                      sum / (3.0 * kWidth * kHeight));
        check(lit > 1000 && drawn < kBoardGrid * kBoardGrid && worst <= 1 &&
                  sum / (3.0 * kWidth * kHeight) <= 0.01,
              line);
        ++compared;
    }
    check(compared == 2, "both sprites compared");
    return 0;
}

// Stage 0's colour and alpha worked out by hand for a texel of (200, 100,
// 50, 128) and a diffuse colour of (96, 255, 64, 192): each setup drawn once
// unblended (its colour) and once over white with blending by zero and
// source alpha (its alpha, in every channel).
int stagesCase(Renderer& r, DisplayDevice& device, const char* out) {
    using namespace d3d;
    uint8_t pixels[4 * 4 * 4];
    for (int i = 0; i < 16; ++i) {
        pixels[i * 4 + 0] = 50; // blue
        pixels[i * 4 + 1] = 100;
        pixels[i * 4 + 2] = 200; // red
        pixels[i * 4 + 3] = 128;
    }
    Texture texture(device);
    check(texture.createFromPixels(4, 4, 32, 8, pixels) == kResultOk, "texture with alpha");
    const double T[4] = {200, 100, 50, 128}, D[4] = {96, 255, 64, 192};
    const double S[3] = {32, 64, 96}; // specular, added to the colour
    auto times = [](const double* a, const double* b, int i) { return a[i] * b[i] / 255.0; };
    // Colour products and alphas by hand; the stage setups in the engine's
    // own record.
    const double TD[3] = {times(T, D, 0), times(T, D, 1), times(T, D, 2)};
    const StageSetup modulateBoth{kOpModulate, kArgTexture, kArgDiffuse,
                                  kOpModulate, kArgTexture, kArgDiffuse};
    const StageSetup diffuseBoth{kOpSelectArg1, kArgDiffuse, 0, kOpSelectArg1, kArgDiffuse, 0};
    struct Setup {
        const char* name;
        StageSetup stage;
        bool textured, specular;
        double rgb[3], alpha;
    };
    const Setup setups[] = {
        {"texture x diffuse", modulateBoth, true, false, {TD[0], TD[1], TD[2]}, times(T, D, 3)},
        {"diffuse", diffuseBoth, true, false, {D[0], D[1], D[2]}, D[3]},
        {"texture x diffuse, texture's alpha",
         {kOpModulate, kArgDiffuse, kArgTexture, kOpSelectArg1, kArgTexture, 0},
         true,
         false,
         {TD[0], TD[1], TD[2]},
         T[3]},
        {"texture",
         {kOpSelectArg1, kArgTexture, 0, kOpSelectArg1, kArgTexture, 0},
         true,
         false,
         {T[0], T[1], T[2]},
         T[3]},
        {"texture as the second argument, alpha diffuse x texture",
         {kOpSelectArg2, kArgDiffuse, kArgTexture, kOpModulate, kArgDiffuse, kArgTexture},
         true,
         false,
         {T[0], T[1], T[2]},
         times(T, D, 3)},
        {"texture x diffuse without a texture",
         modulateBoth,
         false,
         false,
         {D[0], D[1], D[2]},
         D[3]},
        {"disabled",
         {kOpDisable, kArgTexture, kArgTexture, kOpDisable, kArgTexture, kArgTexture},
         true,
         false,
         {D[0], D[1], D[2]},
         D[3]},
        {"texture x diffuse with specular",
         modulateBoth,
         true,
         true,
         {TD[0] + S[0], TD[1] + S[1], TD[2] + S[2]},
         times(T, D, 3)},
        {"diffuse with specular",
         diffuseBoth,
         false,
         true,
         {std::min(255.0, D[0] + S[0]), 255.0, std::min(255.0, D[2] + S[2])},
         D[3]},
    };
    constexpr int kSize = 24, kPitch = 34;
    Camera camera(kFov, kWidth, kHeight);
    RenderBackend& b = r.backend();
    r.beginFrame(camera, kClearTarget | kClearZBuffer);
    r.bindTexture(nullptr);
    r.drawScreenRect(0, 100, kWidth, 140, 0xFFFFFFFFu, false, 0.5f);
    b.setRenderState(RenderState::ZEnable, 0);
    const uint32_t diffuse = 0xC060FF40u, specular = 0x00204060u;
    int i = 0;
    for (const Setup& s : setups) {
        b.setTexture(0, s.textured ? texture.deviceId() : 0);
        b.setStageState(0, StageState::ColorOp, s.stage.colorOp);
        b.setStageState(0, StageState::ColorArg1, s.stage.colorArg1);
        b.setStageState(0, StageState::ColorArg2, s.stage.colorArg2);
        b.setStageState(0, StageState::AlphaOp, s.stage.alphaOp);
        b.setStageState(0, StageState::AlphaArg1, s.stage.alphaArg1);
        b.setStageState(0, StageState::AlphaArg2, s.stage.alphaArg2);
        b.setRenderState(RenderState::SpecularEnable, s.specular ? 1 : 0);
        for (int row = 0; row < 2; ++row) {
            b.setRenderState(RenderState::AlphaBlendEnable, row);
            b.setRenderState(RenderState::SrcBlend, kBlendZero);
            b.setRenderState(RenderState::DestBlend, kBlendSrcAlpha);
            const float x0 = float(4 + i * kPitch), x1 = x0 + kSize;
            const float y0 = row == 0 ? 40.0f : 108.0f, y1 = y0 + kSize;
            const uint32_t spec = s.specular ? specular : 0;
            const ScreenVertex v[4] = {{x0, y0, 0.5f, 1.0f, diffuse, spec, 0.0f, 0.0f},
                                       {x0, y1, 0.5f, 1.0f, diffuse, spec, 0.0f, 1.0f},
                                       {x1, y1, 0.5f, 1.0f, diffuse, spec, 1.0f, 1.0f},
                                       {x1, y0, 0.5f, 1.0f, diffuse, spec, 1.0f, 0.0f}};
            static const uint16_t indices[6] = {0, 2, 1, 0, 3, 2};
            b.drawScreen(PrimitiveType::TriangleList, v, 4, indices, 6, kDrawDoNotUpdateExtents);
        }
        ++i;
    }
    b.setRenderState(RenderState::AlphaBlendEnable, 0);
    b.setRenderState(RenderState::ZEnable, 1);
    r.endFrame();
    device.present();
    check(captureFrame(device, out), "capture frame");
    Image img;
    check(img.tga.read(out), "captured TGA reads back");
    if (img.tga.pixels().empty()) return 1;
    i = 0;
    for (const Setup& s : setups) {
        const int x = 4 + i * kPitch + kSize / 2;
        expectPixel(img, x, 40 + kSize / 2, std::min(255.0, s.rgb[0]), std::min(255.0, s.rgb[1]),
                    std::min(255.0, s.rgb[2]), 1, (std::string(s.name) + ", colour").c_str());
        expectPixel(img, x, 108 + kSize / 2, s.alpha, s.alpha, s.alpha, 1,
                    (std::string(s.name) + ", alpha").c_str());
        ++i;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(
            stderr,
            "usage: %s render|depth|console|modechange|specular|surface|labels|sprites|stages "
            "OUT.tga\n",
            argv[0]);
        return 2;
    }
    const std::string mode = argv[1];
    registerFont();
    if (!platform::initVideo()) {
        std::fprintf(stderr, "no display\n");
        return 2;
    }
    auto window =
        platform::Window::create("GeovistaEngineCheck", "engine render check",
                                 {0, 0, kWidth, kHeight}, platform::WindowStyle::Captioned);
    if (!window) return 2;
    window->show();
    int rc = 0;
    {
        DisplayDevice device(createGlBackend(*window), platform::enumerateDisplays(),
                             platform::desktopBitsPerPixel());
        check(!device.drivers().empty(), "a display driver is found");
        check(device.selectDriver(0) == kResultOk, "select driver 0");
        check(device.selectMode(0, false, false) == kResultOk, "select windowed mode");
        check(device.width() == kWidth && device.height() == kHeight, "back buffer is 320x240");
        Renderer renderer(device);
        const uint32_t r = renderer.create3D(true);
        check(r == kResultOk,
              r == kResultOk ? "create 3D" : std::string("create 3D: ") + ErrorName(r));
        std::printf("device %s, %u-bit z-buffer\n", renderer.hardware() ? "HW" : "SW",
                    renderer.zBufferBits());
        if (r == kResultOk)
            rc = mode == "depth"        ? depthCase(renderer, device, argv[2])
                 : mode == "console"    ? consoleCase(renderer, device, argv[2])
                 : mode == "modechange" ? modeChangeCase(renderer, device, argv[2])
                 : mode == "specular"   ? specularCase(renderer, device, argv[2])
                 : mode == "surface"    ? surfaceCase(renderer, device, argv[2])
                 : mode == "labels"     ? labelsCase(renderer, device, argv[2])
                 : mode == "sprites"    ? spritesCase(renderer, device, argv[2])
                 : mode == "stages"     ? stagesCase(renderer, device, argv[2])
                                        : renderCase(renderer, device, argv[2]);
    }
    window.reset();
    platform::shutdownVideo();
    std::printf("%d failure(s)\n", gFailures);
    return rc != 0 || gFailures != 0 ? 1 : 0;
}
