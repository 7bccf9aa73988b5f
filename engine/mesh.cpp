#include "engine/mesh.h"

#include "engine/renderer.h"

#include <utility>

namespace gv {

Mesh::Mesh(Renderer& renderer) : renderer_(renderer), rendererAlive_(renderer.aliveToken()) {
    world_.setIdentity();
    vertices_.reserve(16);
    faces_.reserve(16);
    runLengths_.reserve(16);
}

Mesh::~Mesh() {
    if (bufferHandle_ != -1 && *rendererAlive_)
        renderer_.releaseVertexBuffer(uint32_t(bufferHandle_));
}

bool Mesh::finalize() {
    // Plain exchange sort, as the run order of equal materials depends on it.
    for (size_t i = 0; i + 1 < faces_.size(); ++i)
        for (size_t j = i + 1; j < faces_.size(); ++j)
            if (faces_[i].material > faces_[j].material) std::swap(faces_[i], faces_[j]);
    runLengths_.clear();
    if (faces_.empty()) return true;
    uint32_t count = 0;
    for (size_t i = 0; i < faces_.size(); ++i) {
        if (i > 0 && faces_[i].material != faces_[i - 1].material) {
            runLengths_.push_back(count);
            count = 0;
        }
        ++count;
    }
    runLengths_.push_back(count);
    if (bufferHandle_ != -1) renderer_.releaseVertexBuffer(uint32_t(bufferHandle_));
    uint32_t handle = kNoBuffer;
    const bool ok = renderer_.buildVertexBuffer(vertices_, faces_, handle);
    bufferHandle_ = handle == kNoBuffer ? -1 : int32_t(handle);
    return ok;
}

bool Mesh::uploadVertices() {
    if (bufferHandle_ == -1) return false;
    return renderer_.updateVertexBuffer(uint32_t(bufferHandle_), vertices_, faces_);
}

void Mesh::draw() {
    renderer_.setWorldMatrix(world_);
    uint32_t first = 0;
    for (uint32_t run : runLengths_) {
        const int32_t m = faces_[first].material;
        if (m >= 0) renderer_.applyMaterial(uint32_t(m), 0);
        if (bufferHandle_ != -1)
            renderer_.drawVertexBuffer(PrimitiveType::TriangleList, uint32_t(bufferHandle_), first,
                                       run, kDrawDoNotUpdateExtents);
        first += run;
    }
}

Camera::Camera(float fov, uint16_t width, uint16_t height)
    : width_(width), height_(height), fov_(fov) {
    updateView();
    updateProjection();
}

void Camera::updateView() {
    view_.setLookAt(position_, target_, up_, 0.0f);
}

void Camera::updateProjection() {
    projection_.setProjection(near_, far_, fov_);
}

void Camera::setFov(float fov) {
    fov_ = fov;
    updateProjection();
}

void Camera::setNear(float n) {
    near_ = n;
    updateProjection();
}

void Camera::setFar(float f) {
    far_ = f;
    updateProjection();
}

void Camera::setPosition(const Vector3& p) {
    target_ = target_ + (p - position_);
    position_ = p;
    updateView();
}

void Camera::lookAt(const Vector3& target) {
    target_ = target;
    updateView();
}

SceneContainer::SceneContainer(Renderer& renderer) : mesh_(renderer) {
    white_ = renderer.createMaterial();
    renderer.material(white_).setDiffuse(1.0f, 1.0f, 1.0f, 1.0f);
    red_ = renderer.createMaterial();
    renderer.material(red_).setDiffuse(1.0f, 0.0f, 0.0f, 1.0f);
}

} // namespace gv
