// How fast the editor's window is ready and how fast it imports a large
// database.
#include "editor/locations_model.h"
#include "editor/locations_tab.h"
#include "editor/main_window.h"
#include "formats/location_record.h"
#include "platform/resources.h"
#include "resources/builtin_resources.h"
#include "resources/editor_resources.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

using namespace gv;
using namespace gv::editor;

namespace {

std::span<const uint8_t> builtIn() {
    return platform::findResource(platform::kResourceRawData, resources::kEditorCitiesDatabase);
}

using Folder = gv::test::TempDir;

// 100,000 places with names that are all new to the built-in list.
std::string writeLargeDatabase(const Folder& f, int count) {
    const std::string file = f.file("large.loc");
    std::ofstream out(file, std::ios::binary);
    for (int i = 0; i < count; ++i) {
        const std::string name = "Imported place " + std::to_string(i);
        const auto bytes = encodeLocationRecord(
            makeLocationRecord(name, float(i % 180) - 90.0f, float(i % 360) - 180.0f, i % 26 - 12));
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    return file;
}

void WindowReady(benchmark::State& state) {
    Folder f;
    for (auto _ : state) {
        MainWindow window(EditorSetup{f.folder(), {}, builtIn()});
        window.show();
        window.repaint();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(window.locations().cityCount());
    }
}
BENCHMARK(WindowReady)->Unit(benchmark::kMillisecond)->Iterations(10);

void ImportModel(benchmark::State& state) {
    Folder f;
    const std::string file = writeLargeDatabase(f, int(state.range(0)));
    std::size_t added = 0;
    for (auto _ : state) {
        LocationsModel model;
        model.load(f.folder(), builtIn());
        added = model.importFile(file, {}, {}).added;
    }
    state.counters["added"] = double(added);
}
BENCHMARK(ImportModel)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

void ImportThroughTheTab(benchmark::State& state) {
    Folder f;
    const std::string file = writeLargeDatabase(f, int(state.range(0)));
    // The report at the end is answered at once.
    QTimer answer;
    answer.setInterval(1);
    QObject::connect(&answer, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->accept();
    });
    answer.start();
    std::size_t rows = 0;
    for (auto _ : state) {
        MainWindow window(EditorSetup{f.folder(), {}, builtIn()});
        window.show();
        window.locationsTab()->importFrom(QString::fromStdString(file));
        rows = window.locations().cityCount();
    }
    state.counters["places"] = double(rows);
}
BENCHMARK(ImportThroughTheTab)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    resources::registerEditorResources();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
