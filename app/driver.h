#pragma once
// The globe program's life: start-up, the frame loop, shut-down.
#include "app/frame_clock.h"
#include "app/run_mode.h"
#include "app/system_console.h"
#include "engine/bitmap_font.h"
#include "engine/display_device.h"
#include "engine/mesh.h"
#include "engine/renderer.h"
#include "platform/window.h"
#include "scene/scene_state.h"
#include "scene/sim_clock.h"

#include <memory>
#include <string>

namespace gv {

inline constexpr const char* kInstanceMutexName = "GvstMut";
inline constexpr const char* kWindowClassName = "Geovista3D";
inline constexpr const char* kWindowTitle = "Quorvane Geovista 3D";
inline constexpr const char* kRegistryKey = platform::kProgramRegistryKey;

struct DriverState {
    RunMode runMode = RunMode::Application;
    uint64_t previewParent = 0;
    uint64_t saverWindow = 0; // a host's full-screen window to draw into ("/s" on X11)
    std::string programFolder;
    // This run holds the single instance, and so writes the shared files.
    bool holdsInstance = false;
    bool quitRequested = false;
    FrameClock clock;
    SimClock simClock;
    uint32_t startTick = 0;
    platform::Rect screen;  // primary screen, from the system metrics
    platform::Rect desktop; // every screen together
    // Configure mode without an editor to start: the globe in a window with
    // the options overlay open.
    bool optionsInWindow = false;
    int width = 0, height = 0; // the chosen display size
    bool videoReady = false;
    std::unique_ptr<platform::Window> window;
    SystemConsole console;
    std::unique_ptr<DisplayDevice> display;
    std::unique_ptr<Renderer> renderer;
    // The scene's shared positions (earth, moon) written each frame.
    SceneState scene;
    std::unique_ptr<SceneContainer> sceneContainer;
    std::unique_ptr<Mesh> cityMarker; // one red triangle, drawn once per shown place
    // The main camera belongs to the cameras (scene/cameras.h); this is it.
    Camera* mainCamera = nullptr;
    std::unique_ptr<Light> light;
    std::unique_ptr<BitmapFont> mainFont;
    std::unique_ptr<BitmapFont> hintFont;
    bool cursorsLoaded = false;
};

DriverState& driver();

// The whole run; 0 after a normal end, another instance or configure mode,
// -1 when start-up failed.
int run(const std::string& commandLine);
bool startUp();
void shutDown();
void requestQuit();

// Start-up steps that make objects the driver owns; each logs its label and
// "[ PASSED ]\n" or its failure text, also when memory runs out.
bool step3DObject();
bool stepSceneObject();
bool stepFonts();

// Program folder and run mode from the program file, the registry value and
// the command line; configure mode launches the editor.
void resolveFolderAndMode(const std::string& commandLine, const platform::ProgramFolder& folder);

} // namespace gv
