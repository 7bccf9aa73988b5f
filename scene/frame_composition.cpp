#include "scene/frame_composition.h"

#include "engine/mesh.h"
#include "engine/renderer.h"
#include "scene/air_shell.h"
#include "scene/cameras.h"
#include "scene/planet_motion.h"
#include "scene/planet_objects.h"
#include "scene/sun_effects.h"

namespace gv {

namespace {
SceneFrameHooks gHooks;
}

SceneFrameHooks& sceneFrameHooks() {
    return gHooks;
}

void composeScene(SceneState& state, const ClockSample& clock, const FrameTimes& times,
                  Preferences& prefs) {
    PlanetObjects& planet = planets();
    SunEffects& fx = sunEffects();
    CameraSystem& cams = cameras();

    updateEarth(state, clock, prefs, gHooks.earthTiltShare ? gHooks.earthTiltShare() : 1.0f);

    const bool managerOnScreen =
        gHooks.locationsManagerOnScreen && gHooks.locationsManagerOnScreen();
    const bool atmosphere = optionOn(prefs, OptionFlag::Atmosphere);
    // The city lights and the air are the globe's; the flat map is in full
    // light.
    setEarthSurface(!managerOnScreen && optionOn(prefs, OptionFlag::NightLights),
                    !managerOnScreen && atmosphere);
    if (!managerOnScreen) {
        if (planet.earth) {
            // Clamped: a tile's edge row must not blend with its opposite
            // edge (the pole's ice would line the equator).
            planet.renderer->textureClamp();
            planet.earth->world() = state.earthTransform;
            planet.earth->draw();
        }
        Mesh* clouds = gHooks.cloudLayer ? gHooks.cloudLayer() : nullptr;
        if (isOn(prefs.cloudsShown) && clouds) {
            // The clouds turn with the earth.
            clouds->world() = state.earthTransform;
            clouds->draw();
        }
        // The ring of air round the disc as this frame's camera sees it.
        if (atmosphere && planet.airRing && cams.main &&
            placeAirRing(*planet.airRing, state.earthPosition, kEarthRadius, cams.main->position()))
            planet.airRing->draw();
        if (isOn(prefs.cloudsFromSatellites) && gHooks.cloudUpdateIfDue) gHooks.cloudUpdateIfDue();
        if (gHooks.drawLocationMarkers) gHooks.drawLocationMarkers();
    } else if (gHooks.locationsManagerFrame) {
        gHooks.locationsManagerFrame();
    }

    if (isOn(prefs.moonShown)) {
        updateMoon(state, clock, times.frameMs, times.frameCounter, prefs);
        if (planet.moon) {
            planet.moon->resetTransform();
            planet.moon->setPosition(state.moonPosition);
            planet.moon->draw();
        }
    }

    // Everything that can hide the sun is drawn by now.
    if (isOn(prefs.sunShown) && fx.renderer && cams.main)
        sunPass(fx, planet.sun.get(), *cams.main, state.earthPosition, times.smoothedMs);
    if (isOn(prefs.starsShown) && fx.renderer) drawStars(fx, state.earthPosition);

    if (cams.main) {
        CameraInputs& in = cams.inputs;
        in.sunPosition = planet.sun ? planet.sun->position() : Vector3{};
        in.earthPosition = state.earthPosition;
        in.earthYaw = state.earthYaw;
        in.earthTilted = state.trueSeasons;
        in.earthRotation = state.earthTransform;
        in.earthAxis = state.earthAxis;
        in.moonPosition = state.moonPosition;
        updateCameras(cams, times.frameMs, times.smoothedMs);
    }
}

} // namespace gv
