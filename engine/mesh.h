#pragma once
// A triangle mesh with its own world matrix, drawn immediately when asked:
// faces grouped once by material into runs, one material change and one
// draw call per run.
#include "core/matrix4.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace gv {

class Renderer;

struct MeshVertex {
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};

struct MeshPlane {
    float a = 0.0f, b = 0.0f, c = 0.0f, d = 0.0f;
};

struct MeshFace {
    uint32_t a = 0, b = 0, c = 0;
    int32_t material = -1; // index in the renderer's material table, -1 none
    MeshPlane plane;
    MeshPlane edges[3];
    float u2[3] = {0.0f, 0.0f, 0.0f}; // second texture coordinates per corner
    float v2[3] = {0.0f, 0.0f, 0.0f};
};

class Mesh {
  public:
    explicit Mesh(Renderer& renderer);
    ~Mesh();
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;

    void appendVertex(const MeshVertex& vertex) { vertices_.push_back(vertex); }
    void appendFace(const MeshFace& face) { faces_.push_back(face); }
    // Groups the faces by material and builds the device buffers.
    bool finalize();
    void draw();

    void resetTransform() { world_.setIdentity(); }
    void rotate(float ax, float ay, float az) { world_.rotate(ax, ay, az); }
    void setPosition(const Vector3& p) { world_.setTranslation(p.x, p.y, p.z); }
    void translate(float x, float y, float z) { world_.translate(x, y, z); }
    Vector3 position() const { return {world_.m[3][0], world_.m[3][1], world_.m[3][2]}; }

    Matrix4& world() { return world_; }
    const std::vector<MeshVertex>& vertices() const { return vertices_; }
    // For meshes whose shape changes after finalize (the locations manager's
    // morph): change the vertices in place, then upload them. The faces and
    // the vertex count stay as they were built.
    std::vector<MeshVertex>& editableVertices() { return vertices_; }
    bool uploadVertices();
    const std::vector<MeshFace>& faces() const { return faces_; }
    const std::vector<uint32_t>& runLengths() const { return runLengths_; }
    int32_t bufferHandle() const { return bufferHandle_; }

  private:
    Renderer& renderer_;
    std::shared_ptr<const bool> rendererAlive_;
    Matrix4 world_;
    std::vector<MeshVertex> vertices_;
    std::vector<MeshFace> faces_;
    std::vector<uint32_t> runLengths_;
    int32_t bufferHandle_ = -1;
};

class Camera {
  public:
    Camera(float fov, uint16_t width, uint16_t height);

    void setFov(float fov);
    void setNear(float n);
    void setFar(float f);
    // Moves without turning: the target moves by the same offset.
    void setPosition(const Vector3& p);
    void lookAt(const Vector3& target);
    // The direction that shows upwards, world y unless set; takes effect
    // with the next lookAt or setPosition.
    void setUp(const Vector3& up) { up_ = up; }
    const Vector3& up() const { return up_; }
    Vector3& position() { return position_; }
    const Vector3& position() const { return position_; }
    const Vector3& target() const { return target_; }

    const Matrix4& view() const { return view_; }
    const Matrix4& projection() const { return projection_; }
    uint16_t width() const { return width_; }
    uint16_t height() const { return height_; }
    float fov() const { return fov_; }
    float nearPlane() const { return near_; }
    float farPlane() const { return far_; }

  private:
    void updateView();
    void updateProjection();

    Matrix4 view_;
    Matrix4 projection_;
    uint16_t width_, height_;
    float fov_;
    float near_ = 1.0f;
    float far_ = 650.0f;
    Vector3 position_{0.0f, 0.0f, 0.0f};
    Vector3 target_{0.0f, 0.0f, 10.0f};
    Vector3 up_{0.0f, 1.0f, 0.0f};
};

// The scene container of start-up: one empty mesh and two materials, diffuse
// white and red. Nothing draws it.
class SceneContainer {
  public:
    explicit SceneContainer(Renderer& renderer);
    Mesh& mesh() { return mesh_; }
    uint32_t whiteMaterial() const { return white_; }
    uint32_t redMaterial() const { return red_; }

  private:
    Mesh mesh_;
    uint32_t white_, red_;
};

} // namespace gv
