#include "scene/sun_effects.h"

#include "core/log.h"
#include "core/startup_step.h"
#include "engine/bitmap.h"
#include "engine/display_device.h"
#include "engine/render_backend.h"
#include "engine/renderer.h"
#include "engine/texture.h"

#include <algorithm>
#include <cmath>

namespace gv {

namespace {

SunEffects gEffects;

constexpr float kSizes[6] = {0.0f, 0.1f, 0.25f, 0.5f, 0.75f, 1.0f};
constexpr uint32_t kFlareBitmap = 138, kGlowBitmap = 121;
constexpr uint32_t kHaloBitmaps[3] = {122, 123, 124};
constexpr float kOverlayDepth = 0.001f;

std::unique_ptr<Texture> effectTexture(DisplayDevice& display, uint32_t id, const char* name,
                                       bool& bitmapOk) {
    std::optional<Bitmap> bitmap = loadBitmapResource(id);
    bitmapOk = bitmap.has_value();
    if (!bitmapOk) return nullptr;
    auto texture = std::make_unique<Texture>(display);
    // Alpha from brightness: black is fully clear.
    if (texture->createFromBitmap(name, *bitmap, AlphaMode::Brightness, 32, 8, 0.1f) != 0)
        return nullptr;
    display.registerTexture(texture.get());
    return texture;
}

// A row vector times the matrix without the homogeneous divide.
Vector3 timesMatrix(const Vector3& v, const Matrix4& m, bool withTranslation) {
    const float t = withTranslation ? 1.0f : 0.0f;
    return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0] + t * m.m[3][0],
            v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1] + t * m.m[3][1],
            v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] + t * m.m[3][2]};
}

// The lit cells of a halo as triangles over a flare's (grid + 1)^2 vertices.
std::vector<uint16_t> flareCells(const Texture& halo) {
    constexpr int g = kFlareGrid;
    const std::vector<bool> lit = litCells(halo, g);
    std::vector<uint16_t> indices;
    for (int i = 0; i < g; ++i)
        for (int j = 0; j < g; ++j) {
            if (!lit[size_t(i * g + j)]) continue;
            const uint16_t a = uint16_t(i * (g + 1) + j), b = uint16_t(a + 1),
                           c = uint16_t(b + g + 1), d = uint16_t(a + g + 1);
            for (uint16_t k : {a, b, c, a, c, d})
                indices.push_back(k);
        }
    return indices;
}

int32_t clampedSize(int32_t option) {
    return option >= 1 && option <= 5 ? option : 0;
}

} // namespace

const std::array<FlareElement, kFlareCount> kFlareElements = {{
    {190.0f, 2.8f, 0xFFFFFF, 2},
    {165.0f, 0.7f, 0xFFFFFF, 2},
    {90.0f, 1.8f, 0xFFFFAF, 2},
    {-130.0f, 0.8f, 0xCFCFB0, 1},
    {-175.0f, 0.6f, 0xAFCFFF, 1},
    {-200.0f, 1.2f, 0x6080FF, 2},
    {-350.0f, 0.9f, 0x5060FF, 2},
}};

std::vector<bool> litCells(const Texture& texture, int grid) {
    std::vector<bool> lit(size_t(grid * grid), false);
    const int w = texture.width(), h = texture.height();
    if (w == 0 || h == 0 || texture.surface().empty()) return lit;
    const uint32_t colour = ~texture.format().alphaMask;
    for (int i = 0; i < grid; ++i)
        for (int j = 0; j < grid; ++j) {
            // The cell's texels and the one beyond each edge (round the
            // texture's edges too, for a texture that wraps).
            const int x0 = j * w / grid - 1, x1 = (j + 1) * w / grid;
            const int y0 = i * h / grid - 1, y1 = (i + 1) * h / grid;
            bool any = false;
            for (int y = y0; y <= y1 && !any; ++y)
                for (int x = x0; x <= x1 && !any; ++x)
                    any =
                        (texture.pixel(uint32_t((x + w) % w), uint32_t((y + h) % h)) & colour) != 0;
            lit[size_t(i * grid + j)] = any;
        }
    return lit;
}

// Its vertices lie on the grid that neighbouring cells share, so that no
// seam shows between them.
std::unique_ptr<Mesh> buildBillboard(Renderer& renderer, const std::vector<bool>& cells,
                                     uint32_t material) {
    auto board = std::make_unique<Mesh>(renderer);
    constexpr int g = kBoardGrid;
    for (int i = 0; i <= g; ++i)
        for (int j = 0; j <= g; ++j) {
            const float u = float(j) / g, v = float(i) / g;
            board->appendVertex({-180.0f + 360.0f * u, -180.0f + 360.0f * v, 0, 0, 0, -1, u, v});
        }
    if (cells.size() != size_t(g * g)) return nullptr;
    for (int i = 0; i < g; ++i)
        for (int j = 0; j < g; ++j) {
            if (!cells[size_t(i * g + j)]) continue;
            const uint32_t a = uint32_t(i * (g + 1) + j), b = a + 1, c = b + uint32_t(g + 1),
                           d = a + uint32_t(g + 1);
            for (const auto& tri :
                 {std::array<uint32_t, 3>{a, b, c}, std::array<uint32_t, 3>{a, c, d}}) {
                MeshFace f;
                f.a = tri[0];
                f.b = tri[1];
                f.c = tri[2];
                f.material = int32_t(material);
                board->appendFace(f);
            }
        }
    if (!board->finalize()) return nullptr;
    return board;
}

float effectSize(int32_t option) {
    return kSizes[clampedSize(option)];
}

SunOnScreen projectSun(const Vector3& sun, const Camera& camera, float width, float height) {
    SunOnScreen s;
    const Vector3 v = timesMatrix(sun, camera.view(), true);
    const Matrix4& proj = camera.projection();
    const Vector3 p = timesMatrix(v, proj, false);
    if (!(p.z > 0.0f)) return s;
    s.inFront = true;
    const float pz = p.z == 0.0f ? 1.0f : p.z;
    const float aspect = width / height;
    s.nx = p.x / pz;
    s.ny = (p.y / pz) * aspect;
    s.sx = width / 2.0f + s.nx * width / 2.0f;
    s.sy = height / 2.0f + s.ny * height / 2.0f;
    const float ux = s.nx, uy = -s.ny;
    s.d = std::sqrt(ux * ux + uy * uy);
    if (s.d > 0.0f) {
        s.ux = ux / s.d;
        s.uy = uy / s.d;
    }
    // Depth of the sun's centre as the depth buffer stores it: the full
    // projection with its divide by the view distance.
    const float clipZ = v.z * proj.m[2][2] + proj.m[3][2];
    const float clipW = v.z * proj.m[2][3] + proj.m[3][3];
    s.depth = clipW != 0.0f ? std::clamp(clipZ / clipW, 0.0f, 1.0f) : 1.0f;
    return s;
}

bool sunHiddenByDepth(float storedDepth, float sunDepth, uint32_t depthBits) {
    if (depthBits == 0 || depthBits > 32) depthBits = 24;
    const double mask = depthBits == 32 ? 4294967295.0 : double((uint64_t(1) << depthBits) - 1);
    const auto asStored = [mask](float z) {
        return uint64_t(std::clamp(double(z), 0.0, 1.0) * mask);
    };
    return asStored(storedDepth) < asStored(sunDepth);
}

float glowScale(float d) {
    return std::min(1.4f - d, 0.8f);
}

uint32_t overbrightAlpha(float d) {
    const float i = std::max(50.0f - 50.0f * std::sin(2.0f * d), 0.0f);
    return uint32_t(i);
}

uint32_t flareAlpha(float d) {
    return uint32_t(std::max(128.0f - 128.0f * d, 0.0f));
}

void flareCentre(int i, const SunOnScreen& sun, float width, float height, float& x, float& y) {
    const float k = kFlareElements[size_t(i)].offset;
    const float a = width / height;
    x = width / 2.0f + k * sun.d * a * sun.ux;
    y = height / 2.0f + k * sun.d * sun.uy;
}

void generateStars(std::array<Star, kStarCount>& stars) {
    uint32_t seed = 1;
    auto rand = [&seed]() {
        seed = seed * 214013u + 2531011u;
        return float((seed >> 16) & 0x7FFF);
    };
    for (Star& s : stars) {
        const float r0 = rand() / 32767.0f;
        const float distance = 1300.0f + 350.0f * r0;
        const float b = std::min(1.0f - (distance - 1300.0f) / 350.0f, 1.0f);
        const uint32_t grey = uint32_t(b * 255.0f);
        Vector3 dir;
        dir.x = 2.0f * (rand() / 32767.0f) - 1.0f;
        dir.y = 2.0f * (rand() / 32767.0f) - 1.0f;
        dir.z = 2.0f * (rand() / 32767.0f) - 1.0f;
        dir.normalize();
        s.position = scale(dir, distance);
        s.colour = grey << 16 | grey << 8 | grey;
    }
}

SunEffects& sunEffects() {
    return gEffects;
}

bool buildLensFlares(Renderer& renderer, DisplayDevice& display, Preferences& prefs) {
    SunEffects& fx = gEffects;
    fx.renderer = &renderer;
    fx.display = &display;
    fx.prefs = &prefs;
    logStepLabel("Creating lens flares");
    try {
        bool bitmapOk = false;
        fx.flareTexture = effectTexture(display, kFlareBitmap, "sunflare", bitmapOk);
        if (!bitmapOk) {
            logWrite("[ FAILED: bitmap ]\n");
            return false;
        }
        if (!fx.flareTexture) {
            logWrite("[ FAILED: texture ]\n");
            return false;
        }
        for (int k = 0; k < 3; ++k) {
            fx.halos[size_t(k)] = effectTexture(display, kHaloBitmaps[k], "halo", bitmapOk);
            if (!bitmapOk) {
                logWrite("[ FAILED: bitmap ]\n");
                return false;
            }
            if (!fx.halos[size_t(k)]) {
                logWrite("[ FAILED: texture ]\n");
                return false;
            }
        }
        fx.glowTexture = effectTexture(display, kGlowBitmap, "glow1", bitmapOk);
        if (!bitmapOk) {
            logWrite("[ FAILED: glow bitmap ]\n");
            return false;
        }
        if (!fx.glowTexture) {
            logWrite("[ FAILED: glow texture ]\n");
            return false;
        }
        fx.flareMaterial = renderer.createMaterial();
        Material& m = renderer.material(fx.flareMaterial);
        m.setTexture(fx.flareTexture.get());
        m.setBlendMode(MaterialBlendMode::Additive);
        // Sprites: seen from either side, and they hide nothing behind them.
        m.cullMode = d3d::kCullNone;
        m.zWrite = false;
        m.setEmissive(1, 1, 1, 1);

        fx.billboard =
            buildBillboard(renderer, litCells(*fx.flareTexture, kBoardGrid), fx.flareMaterial);
        fx.glowBoard =
            buildBillboard(renderer, litCells(*fx.glowTexture, kBoardGrid), fx.flareMaterial);
        if (!fx.billboard || !fx.glowBoard) {
            logWrite("[ FAILED: texture ]\n");
            return false;
        }
        for (int k = 0; k < 3; ++k)
            fx.haloCells[size_t(k)] = flareCells(*fx.halos[size_t(k)]);
    } catch (...) {
        logWrite("*** FATAL ERROR while building lens flares ***\n");
        return false;
    }
    logWrite(kPassed);
    return true;
}

void buildStarField() {
    SunEffects& fx = gEffects;
    generateStars(fx.stars);
    for (size_t i = 0; i < fx.stars.size(); ++i) {
        const Star& s = fx.stars[i];
        fx.starVertices[i] = {s.position.x, s.position.y, s.position.z, 0, s.colour, 0, 0, 0};
    }
}

void releaseSunEffects() {
    SunEffects& fx = gEffects;
    fx.billboard.reset();
    fx.glowBoard.reset();
    fx.flareTexture.reset();
    for (auto& h : fx.halos)
        h.reset();
    fx.glowTexture.reset();
}

void sunPass(SunEffects& fx, Mesh* sun, const Camera& camera, const Vector3& earthPosition,
             uint32_t smoothedMs) {
    Renderer& r = *fx.renderer;
    const Preferences& p = *fx.prefs;
    fx.sunSpin += float(smoothedMs) * 0.001f;
    fx.lastHidden = false;
    fx.lastFlaresDrawn = false;

    // The light goes back to the sun's place, the origin, every frame.
    Vector3 sunPosition;
    if (Light* light = r.light()) {
        light->setPosition(0.0f, 0.0f, 0.0f);
        sunPosition = light->position();
    }
    if (sun) {
        sun->resetTransform();
        sun->world().setScale(float(p.sunSize));
        sun->setPosition(sunPosition);
    }

    const float W = float(r.device().width()), H = float(r.device().height());
    const SunOnScreen s = projectSun(sunPosition, camera, W, H);
    fx.lastSun = s;
    if (!s.inFront) return;

    // Whatever was drawn in front of the sun (earth, clouds, moon) is in the
    // depth buffer now; the sun and its sprites come after.
    bool hidden = false;
    if (s.sx >= 0.0f && s.sx < W && s.sy >= 0.0f && s.sy <= H) {
        const float row = H - 1.0f - s.sy;
        float stored = 1.0f;
        if (row >= 0.0f && r.backend().readDepth(uint32_t(s.sx), uint32_t(row), stored))
            hidden = sunHiddenByDepth(stored, s.depth, r.zBufferBits());
    }
    fx.lastHidden = hidden;

    Material& flare = r.material(fx.flareMaterial);
    Mesh& board = *fx.billboard;
    Matrix4 facing;
    facing.setFacing(sunPosition, camera.position());
    const float f = effectSize(p.sunSize);
    auto drawBoard = [&](float scaleFactor) {
        Matrix4 sc;
        sc.setScale(scaleFactor);
        board.world() = sc * facing;
        board.draw();
    };
    if (p.sunMesh == 0) {
        drawBoard((std::cos(fx.sunSpin) * 0.2f + 1.0f) * 3.0f * f);
        drawBoard((std::sin(fx.sunSpin) * 0.5f + 1.7f) * 3.0f * f);
    } else {
        drawBoard(std::cos(fx.sunSpin) * 0.03f + 1.7f * f);
        drawBoard(std::sin(fx.sunSpin) * 0.04f + 1.7f * f);
        if (sun) sun->draw();
    }

    if (isOn(p.earthGlow) && s.d < 1.4f) {
        Matrix4 sc, toEarth;
        sc.setScale(std::cos(fx.sunSpin) * 0.01f + glowScale(s.d));
        toEarth.setFacing(earthPosition, camera.position());
        Mesh& glow = *fx.glowBoard;
        glow.world() = sc * toEarth;
        glow.world().translate(-50.0f * s.d * s.ux, -50.0f * s.d * s.uy, 0.0f);
        flare.setTexture(fx.glowTexture.get());
        glow.draw();
        flare.setTexture(fx.flareTexture.get());
    }

    // A wash or flares of alpha 0 would leave every pixel as it is.
    if (isOn(p.sunOverbrights) && s.d <= 0.7f && overbrightAlpha(s.d) > 0) {
        r.bindTexture(nullptr);
        r.drawScreenRect(-320.0f, -180.0f, W + 320.0f, H + 180.0f,
                         overbrightAlpha(s.d) << 24 | 0x00FFFFFFu, false, kOverlayDepth);
    }

    if (isOn(p.lensFlares) && !hidden && flareAlpha(s.d) > 0) {
        const uint32_t alpha = flareAlpha(s.d) << 24;
        const float size = effectSize(p.lensFlareSize);
        constexpr int g = kFlareGrid;
        flare.setBlendMode(MaterialBlendMode::CombinedAlpha);
        for (int i = 0; i < kFlareCount; ++i) {
            const FlareElement& e = kFlareElements[size_t(i)];
            if (i == 0 || i == 3 || i == 5) {
                flare.setTexture(fx.halos[size_t(e.kind)].get());
                r.applyMaterial(flare, 0);
            }
            float x = 0, y = 0;
            flareCentre(i, s, W, H, x, y);
            const float h = size * e.sizeFactor * 80.0f;
            const uint32_t c = alpha | e.rgb;
            const std::vector<uint16_t>& cells = fx.haloCells[size_t(e.kind)];
            if (cells.empty()) continue;
            // The flare's square on the halo's grid; only its lit cells go out.
            for (int row = 0; row <= g; ++row)
                for (int col = 0; col <= g; ++col) {
                    const float u = float(col) / g, v = float(row) / g;
                    fx.flareVertices[size_t(row * (g + 1) + col)] = {x - h + 2.0f * h * u,
                                                                     y - h + 2.0f * h * v,
                                                                     kOverlayDepth,
                                                                     1000.0f,
                                                                     c,
                                                                     0,
                                                                     u,
                                                                     v};
                }
            r.backend().drawScreen(PrimitiveType::TriangleList, fx.flareVertices.data(),
                                   uint32_t(fx.flareVertices.size()), cells.data(),
                                   uint32_t(cells.size()), kDrawDoNotUpdateExtents);
        }
        flare.setBlendMode(MaterialBlendMode::Additive);
        flare.setTexture(fx.flareTexture.get());
        fx.lastFlaresDrawn = true;
    }
}

void drawStars(SunEffects& fx, const Vector3& earthPosition) {
    using namespace d3d;
    Renderer& r = *fx.renderer;
    RenderBackend& b = r.backend();
    r.bindTexture(nullptr);
    b.setStageState(0, StageState::ColorOp, kOpSelectArg1);
    b.setStageState(0, StageState::ColorArg1, kArgDiffuse);
    b.setStageState(0, StageState::AlphaOp, kOpSelectArg1);
    b.setStageState(0, StageState::AlphaArg1, kArgDiffuse);
    // Added to what is behind: on the black sky the star's own grey, and in
    // front of the sun's disc (drawn before, without depth) no dark speck.
    b.setRenderState(RenderState::SrcBlend, kBlendOne);
    b.setRenderState(RenderState::DestBlend, kBlendOne);
    b.setRenderState(RenderState::AlphaBlendEnable, 1);
    // The star sphere travels with the earth but does not turn with it.
    Matrix4 world = Matrix4::identity();
    world.setTranslation(earthPosition.x, earthPosition.y, earthPosition.z);
    r.setWorldMatrix(world);
    r.drawPoints(fx.starVertices.data(), uint32_t(fx.starVertices.size()));
}

} // namespace gv
