#pragma once
// A renderer on the recording backend with the built-in resources, and the
// planet objects bound to it, for the scene's unit tests.
#include "engine/display_device.h"
#include "engine/recording_backend.h"
#include "engine/renderer.h"
#include "formats/preferences.h"
#include "resources/builtin_resources.h"
#include "scene/cameras.h"
#include "scene/planet_objects.h"
#include "scene/sun_effects.h"

#include <gtest/gtest.h>

#include <memory>

namespace gv::testing {

struct RecordingScene : ::testing::Test {
    RecordingBackend* backend = nullptr;
    std::unique_ptr<DisplayDevice> device;
    std::unique_ptr<Renderer> renderer;
    Preferences prefs = defaultPreferences();

    void SetUp() override {
        resources::registerBuiltinResources();
        auto b = std::make_unique<RecordingBackend>();
        backend = b.get();
        b->clientWidth = 1280;
        b->clientHeight = 720;
        platform::DisplayInfo info;
        info.modes = {{1280, 720, 32, 0}};
        device = std::make_unique<DisplayDevice>(std::move(b), std::vector{info}, 32);
        ASSERT_EQ(device->selectDriver(0), 0u);
        ASSERT_EQ(device->selectMode(0, true, false), 0u);
        renderer = std::make_unique<Renderer>(*device);
        ASSERT_EQ(renderer->create3D(true), 0u);
        bindPlanets(*renderer, *device, prefs);
    }
    void TearDown() override {
        destroyCameras();
        releaseSunEffects();
        releasePlanets();
        renderer.reset();
        device.reset();
    }
};

} // namespace gv::testing
