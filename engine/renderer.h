#pragma once
// The 3D device of the program: created on the display device's back buffer
// with a depth buffer and a viewport; keeps the default render states, the
// materials, the light and the mesh buffers, and draws.
#include "engine/device_types.h"
#include "engine/surface_effects.h"

#include <cstdarg>
#include <cstdint>
#include <memory>
#include <vector>

namespace gv {

class BitmapFont;
class Camera;
class DisplayDevice;
class Renderer;
class RenderBackend;
class TextAtlas;
class Texture;
struct MeshVertex;
struct MeshFace;

// How a material's texture and vertex colour combine and blend (0..6).
enum class MaterialBlendMode : uint32_t {
    Opaque = 0,
    VertexAlpha = 1,
    TextureAlpha = 2,
    CombinedAlpha = 3,
    Additive = 4,
    LightColourTextureShape = 5,
    Multiply = 6,
};

class Material {
  public:
    Material(Renderer& renderer, uint32_t handle) : renderer_(&renderer), handle_(handle) {}
    Renderer& renderer() const { return *renderer_; }
    // The material's handle on the device (its table index + 1).
    uint32_t handle() const { return handle_; }

    void setRecord(const MaterialRecord& record);
    const MaterialRecord& record() const { return record_; }
    void setDiffuse(float r, float g, float b, float a);
    void setAmbient(float r, float g, float b, float a);
    void setSpecular(float r, float g, float b, float a);
    void setEmissive(float r, float g, float b, float a);
    void setPower(float power) { record_.power = power; }
    ColorValue diffuse() const { return record_.diffuse; }
    ColorValue specular() const { return record_.specular; }
    float power() const { return record_.power; }
    void setBlendMode(MaterialBlendMode mode) { blendMode_ = mode; }
    MaterialBlendMode blendMode() const { return blendMode_; }

    void setTexture(Texture* texture) { texture_ = texture; }
    Texture* texture() const { return texture_; }
    // The planet's own shading (surface_effects.h); None unless set.
    void setSurface(SurfaceShading shading, Texture* night, float air) {
        shading_ = shading;
        night_ = night;
        air_ = air;
    }
    SurfaceShading surfaceShading() const { return shading_; }
    Texture* nightTexture() const { return night_; }
    float air() const { return air_; }
    bool translucent() const { return translucent_; }
    uint32_t cullMode = 3; // counter-clockwise
    uint32_t fillMode = 3; // solid
    bool zTest = true;
    bool zWrite = true;

  private:
    Renderer* renderer_;
    uint32_t handle_;
    MaterialRecord record_;
    Texture* texture_ = nullptr;
    bool translucent_ = false;
    MaterialBlendMode blendMode_ = MaterialBlendMode::Opaque;
    SurfaceShading shading_ = SurfaceShading::None;
    Texture* night_ = nullptr;
    float air_ = 0.0f;
};

class Light {
  public:
    explicit Light(Renderer& renderer);
    ~Light();
    Light(const Light&) = delete;
    Light& operator=(const Light&) = delete;

    void setType(LightType type);
    void setColour(float r, float g, float b, float a);
    void setPosition(float x, float y, float z);
    ColorValue colour() const { return record_.color; }
    Vector3 position() const { return record_.position; }
    const LightRecord& record() const { return record_; }
    // Sends the record to the device again (after the 3D part is re-created).
    void attach();

  private:
    Renderer& renderer_;
    std::shared_ptr<const bool> rendererAlive_;
    LightRecord record_;
};

inline constexpr uint32_t kNoBuffer = 0xFFFFFFFFu;

class Renderer {
  public:
    explicit Renderer(DisplayDevice& device);
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // 0 or the failing result code; logs the failing step.
    uint32_t create3D(bool preferHardware);
    void release3D();
    bool created() const { return created_; }
    bool hardware() const { return hardware_; }
    uint32_t zBufferBits() const { return zBits_; }

    void beginFrame(const Camera& camera, uint32_t clearFlags);
    void endFrame();
    void setWorldMatrix(const Matrix4& world);

    // Material table; meshes refer to materials by index.
    uint32_t createMaterial();
    Material& material(uint32_t index) { return *materials_[index]; }
    size_t materialCount() const { return materials_.size(); }
    void applyMaterial(Material& material, uint32_t stage);
    void applyMaterial(uint32_t index, uint32_t stage) { applyMaterial(*materials_[index], stage); }

    // The scene light; the caller owns it, the renderer keeps a reference to
    // the one created last.
    std::unique_ptr<Light> createLight();
    Light* light() const { return light_; }

    // Device buffers of a mesh; false (handle kNoBuffer) on failure, and the
    // handle kNoBuffer with true for a mesh without faces.
    bool buildVertexBuffer(const std::vector<MeshVertex>& vertices,
                           const std::vector<MeshFace>& faces, uint32_t& handle);
    void releaseVertexBuffer(uint32_t handle);
    // Sends a mesh's changed vertices to its buffer, laid out as the build
    // lays them out (same faces); nothing is allocated once the scratch copy
    // has grown to the mesh.
    bool updateVertexBuffer(uint32_t handle, const std::vector<MeshVertex>& vertices,
                            const std::vector<MeshFace>& faces);
    void drawVertexBuffer(PrimitiveType type, uint32_t handle, uint32_t firstFace,
                          uint32_t faceCount, uint32_t flags);

    void drawTriangle(PrimitiveType type, const float v0[8], const float v1[8], const float v2[8],
                      Texture* texture, uint32_t flags);
    void drawLine(float x1, float y1, float z1, float x2, float y2, float z2);
    void drawPoint(float x, float y, float z, uint32_t argb);
    // Many points in one call (the star field): the same pixels as one call
    // per point.
    void drawPoints(const LitVertex* points, uint32_t count);
    void drawScreenRect(float left, float top, float right, float bottom, uint32_t argb, bool zTest,
                        float depth);
    void drawText(const BitmapFont& font, float x, float y, float depth, uint32_t argb,
                  float scaleX, float scaleY, const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 9, 10)))
#endif
        ;
    void drawTextV(const BitmapFont& font, float x, float y, float depth, uint32_t argb,
                   float scaleX, float scaleY, const char* format, va_list args);
    // Many texts in one font at once (the labels of the places): the texts
    // drawn between these two go out together at the end, in the order
    // drawn, in as few draws as the index range allows; text in another font
    // is drawn at once as usual. Nothing is allocated once the batch has
    // grown to the largest frame. With an atlas of the font, each line of
    // text is one quad over its texels there (lines the atlas has no room
    // for are drawn glyph by glyph, under the others).
    void beginTextBatch(const BitmapFont& font, TextAtlas* atlas = nullptr);
    void endTextBatch();
    // The pen position after the last drawText (for layout checks).
    float lastTextX() const {
        return penX_;
    }
    float lastTextY() const {
        return penY_;
    }

    // Binds a texture to stage 0 (null binds none).
    void bindTexture(Texture* texture);

    void setAmbientLight(float r, float g, float b);
    void getAmbientLight(float& r, float& g, float& b) const;
    void setBilinearFiltering(bool on);
    bool bilinearFiltering() const {
        return bilinear_;
    }
    void textureClamp();
    void textureWrap();

    // The start-up console's text, drawn onto the back buffer.
    void drawConsoleText(int x, int y, const char* text, uint32_t rgb);

    DisplayDevice& device() {
        return device_;
    }
    RenderBackend& backend();

    // False once the renderer is gone: meshes and lights that outlive it
    // (objects that go with the process) then leave it alone.
    std::shared_ptr<const bool> aliveToken() const {
        return alive_;
    }

    // Cameras the scene registers with the renderer (the view cameras).
    std::vector<Camera*>& viewCameras() {
        return viewCameras_;
    }

  private:
    struct VertexBuffer {
        uint32_t id = 0;
        std::vector<uint16_t> indices;
    };

    void setDefaultRenderStates();
    // Sends the planet shading when it differs from what the device has.
    void setSurfaceEffects(const SurfaceEffects& effects);
    void setTextStates(const BitmapFont& font);
    // One buffer vertex per mesh vertex, with the colour and second texture
    // coordinates of the last face that uses it; false for a face that
    // names a vertex outside the mesh.
    bool layoutVertices(const std::vector<MeshVertex>& vertices, const std::vector<MeshFace>& faces,
                        std::vector<BufferVertex>& out, uint16_t* indices);

    DisplayDevice& device_;
    bool created_ = false;
    bool hardware_ = false;
    uint32_t zBits_ = 0;
    std::vector<VertexBuffer> buffers_;
    std::vector<std::unique_ptr<Material>> materials_;
    Light* light_ = nullptr;
    float ambient_[3] = {0.0f, 0.0f, 0.0f};
    bool bilinear_ = false;
    std::vector<Camera*> viewCameras_;
    SurfaceEffects surface_;
    std::vector<BufferVertex> updateScratch_;
    // text_ through the batch's atlas, a quad a line.
    void atlasText(const BitmapFont& font, float x, float y, float depth, uint32_t argb,
                   float scaleX, float scaleY);
    void drawQuads(const std::vector<ScreenVertex>& vertices);

    const BitmapFont* batchFont_ = nullptr;
    TextAtlas* batchAtlas_ = nullptr;
    std::vector<ScreenVertex> batchVertices_;
    std::vector<ScreenVertex> atlasVertices_;
    std::vector<uint16_t> batchIndices_;

    // Text scratch: formatted text and one quad per character, kept between
    // frames so that drawing allocates nothing.
    static constexpr size_t kTextBuffer = 1024;
    char text_[kTextBuffer];
    std::vector<ScreenVertex> textVertices_;
    std::vector<uint16_t> textIndices_;
    float penX_ = 0.0f, penY_ = 0.0f;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    friend class Light;
};

} // namespace gv
