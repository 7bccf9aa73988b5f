// The editor's window on the offscreen platform: its controls, buttons,
// message boxes, dialogs and files.
#include "editor/advanced_clouds_dialog.h"
#include "editor/colour_swatch.h"
#include "editor/editor_files.h"
#include "editor/import_progress_window.h"
#include "editor/locations_tab.h"
#include "editor/main_window.h"
#include "editor/options_tab.h"
#include "formats/byte_io.h"
#include "formats/file_bytes.h"
#include "formats/location_record.h"
#include "formats/selection_file.h"
#include "modal_answer.h"
#include "platform/resources.h"
#include "resources/builtin_resources.h"
#include "resources/editor_resources.h"
#include "support/temp_dir.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <filesystem>
#include <memory>

using namespace gv;
using namespace gv::editor;
using gv::editor::test::ModalAnswer;

namespace {

std::span<const uint8_t> builtIn() {
    return platform::findResource(platform::kResourceRawData, resources::kEditorCitiesDatabase);
}

std::vector<platform::DisplayInfo> fakeDisplays() {
    platform::DisplayInfo noVga;
    noVga.description = "Wide display";
    noVga.modes =
        platform::buildModeList({1920, 1080, 32, 0}, {{1024, 768, 32, 60}, {800, 600, 32, 60}});
    platform::DisplayInfo vga;
    vga.description = "Old display";
    vga.modes = platform::buildModeList(
        {1024, 768, 16, 0}, {{640, 480, 32, 60}, {512, 384, 16, 60}, {640, 480, 16, 60}});
    return {noVga, vga};
}

std::vector<uint8_t> record(const char* name, uint16_t country = 3) {
    LocationRecord r = makeLocationRecord(name, 10.5f, -20.25f, -3);
    r.catalogueCountry = country;
    const auto bytes = encodeLocationRecord(r);
    return {bytes.begin(), bytes.end()};
}

std::vector<uint8_t> records(int count, const char* prefix) {
    std::vector<uint8_t> out;
    out.reserve(std::size_t(count) * 52);
    for (int i = 0; i < count; ++i) {
        const auto r = record((prefix + std::to_string(i)).c_str());
        out.insert(out.end(), r.begin(), r.end());
    }
    return out;
}

template <class W> W* child(QWidget* root, const char* name) {
    W* w = root->findChild<W*>(QString::fromLatin1(name));
    if (!w) qFatal("no child %s", name);
    return w;
}

QByteArray fileBytes(const std::string& path) {
    const auto b = gv::test::readBytes(path);
    return QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
}

} // namespace

class EditorWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<gv::test::TempDir> dir_;
    std::unique_ptr<MainWindow> window_;

    MainWindow& open() {
        window_ =
            std::make_unique<MainWindow>(EditorSetup{dir_->folder(), fakeDisplays(), builtIn()});
        window_->show();
        window_->activateWindow();
        if (!QTest::qWaitForWindowActive(window_.get())) qWarning("the window is not active");
        return *window_;
    }
    OptionsTab* options() { return window_->optionsTab(); }
    LocationsTab* locations() { return window_->locationsTab(); }
    QListView* cities() { return child<QListView>(locations(), "cities"); }
    QListView* shown() { return child<QListView>(locations(), "shown"); }
    QStringList shownNames() {
        QStringList names;
        auto* model = shown()->model();
        for (int r = 0; r < model->rowCount(); ++r)
            names << model->index(r, 0).data().toString();
        return names;
    }
    void click(QWidget* root, const char* name) { child<QPushButton>(root, name)->click(); }
    void selectCity(int row) { cities()->setCurrentIndex(cities()->model()->index(row, 0)); }
    int cityRow(const QString& name) {
        auto* model = cities()->model();
        for (int r = 0; r < model->rowCount(); ++r)
            if (model->index(r, 0).data().toString() == name) return r;
        return -1;
    }
    std::size_t filesInFolder() {
        return std::size_t(std::distance(std::filesystem::directory_iterator(dir_->path()),
                                         std::filesystem::directory_iterator()));
    }

  private slots:
    void initTestCase() { resources::registerEditorResources(); }
    void init() { dir_ = std::make_unique<gv::test::TempDir>(); }
    void cleanup() {
        window_.reset();
        dir_.reset();
    }

    void opensOnAnEmptyFolderWithTheFactoryDefaults() {
        MainWindow& w = open();
        QCOMPARE(w.windowTitle(), QStringLiteral("Quorvane Geovista 3D Configuration"));
        QTabWidget* tabs = w.tabs();
        QCOMPARE(tabs->count(), 3);
        QCOMPARE(tabs->tabText(0), QStringLiteral("Read First"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("Options"));
        QCOMPARE(tabs->tabText(2), QStringLiteral("Locations"));
        QCOMPARE(child<QPushButton>(&w, "ok")->text(), QStringLiteral("OK"));
        QCOMPARE(child<QPushButton>(&w, "cancel")->text(), QStringLiteral("Cancel"));
        QCOMPARE(child<QPushButton>(&w, "reset")->text(), QStringLiteral("Reset"));

        QVERIFY(child<QCheckBox>(options(), "fullScreen")->isChecked());
        QVERIFY(!child<QCheckBox>(options(), "flip")->isChecked());
        QVERIFY(child<QCheckBox>(options(), "filter")->isChecked());
        QVERIFY(!child<QCheckBox>(options(), "cloudsFromSatellites")->isChecked());
        QVERIFY(!child<QCheckBox>(options(), "performance")->isChecked());
        QCOMPARE(child<QSlider>(options(), "fieldOfView")->value(), 40);
        QCOMPARE(child<QSlider>(options(), "earthDistance")->value(), 100);
        QCOMPARE(child<QSlider>(options(), "ambientLight")->value(), 5);
        QCOMPARE(child<QSlider>(options(), "clockSize")->value(), 1);
        QCOMPARE(child<QLineEdit>(options(), "cloudHours")->text(), QStringLiteral("2"));
        QCOMPARE(child<QLineEdit>(options(), "changeSeconds")->text(), QStringLiteral("20"));
        QCOMPARE(child<QLineEdit>(options(), "moonSeconds")->text(), QStringLiteral("10"));
        QCOMPARE(child<QLineEdit>(options(), "messageMs")->text(), QStringLiteral("2500"));
        QCOMPARE(child<QComboBox>(options(), "lensFlareSize")->currentText(),
                 QStringLiteral("Small"));
        QCOMPARE(child<QComboBox>(options(), "smoothness")->currentText(),
                 QStringLiteral("Smooth"));
        QCOMPARE(child<QComboBox>(options(), "earthResolution")->currentText(),
                 QStringLiteral("Medium"));
        QCOMPARE(child<QComboBox>(options(), "changingMode")->currentText(),
                 QStringLiteral("Automatic"));
        QCOMPARE(child<QComboBox>(options(), "sunMode")->currentText(),
                 QStringLiteral("Billboard"));
        QCOMPARE(child<QComboBox>(options(), "screenSaverMode")->currentText(),
                 QStringLiteral("Conventional"));
        QCOMPARE(child<QComboBox>(options(), "selectedCamera")->currentText(),
                 QStringLiteral("Orbit 1"));
        QVERIFY(child<QRadioButton>(options(), "sunSize3")->isChecked());
        QCOMPARE(child<ColourSwatch>(options(), "titleColour")->rgb(), 0xB0D0FFu);
        QCOMPARE(child<ColourSwatch>(options(), "clockColour")->rgb(), 0xFFFFFFu);

        // The devices in their order; the first has no 640 x 480 at 16 bits,
        // so the first run's marker becomes entry 1.
        auto* device = child<QComboBox>(options(), "deviceIndex");
        QCOMPARE(device->count(), 2);
        QCOMPARE(device->itemText(0), QStringLiteral("Wide display"));
        auto* resolution = child<QComboBox>(options(), "resolutionIndex");
        QCOMPARE(resolution->count(), 3);
        QCOMPARE(resolution->itemText(0), QStringLiteral("Default"));
        QCOMPARE(resolution->itemText(1), QStringLiteral("800x600 32bits"));
        QCOMPARE(resolution->currentIndex(), 1);
        QCOMPARE(w.settings().resolutionIndex(), 1);

        QCOMPARE(cities()->model()->rowCount(), 1306);
        QCOMPARE(cities()->model()->index(0, 0).data().toString(), QStringLiteral("Abadan"));
        QCOMPARE(shown()->model()->rowCount(), 0);
        QCOMPARE(filesInFolder(), std::size_t(0)); // nothing written before OK
    }

    void okWritesTheSettingsTheDatabaseAndTheSelection() {
        MainWindow& w = open();
        child<QCheckBox>(options(), "performance")->setChecked(true);
        selectCity(3);
        click(locations(), "show");
        click(&w, "ok");
        QVERIFY(!w.isVisible());
        const auto cfg = gv::test::readBytes(dir_->file("geovista.cfg"));
        QCOMPARE(cfg.size(), std::size_t(1196));
        QCOMPARE(readI32(&cfg[1172]), -1); // "Performance"
        QCOMPARE(readI32(&cfg[4]), -1);
        QCOMPARE(int(readU16(&cfg[10])), 1);
        auto expected = factoryRecord();
        writeI32(&expected[1172], -1);
        writeU16(&expected[10], 1);
        QVERIFY(std::equal(cfg.begin(), cfg.end(), expected.begin()));
        const auto loc = gv::test::readBytes(dir_->file("geovista.loc"));
        QVERIFY(std::equal(loc.begin(), loc.end(), builtIn().begin(), builtIn().end()));
        QCOMPARE(fileBytes(dir_->file("geovista.sel")), QByteArray("\x03\x00\x00\x00", 4));
    }

    void okKeepsTheWindowWhenAFileCannotBeWritten() {
        MainWindow& w = open();
        std::filesystem::create_directory(dir_->file("geovista.cfg")); // cannot be replaced
        ModalAnswer answer(QMessageBox::Ok);
        click(&w, "ok");
        QVERIFY(w.isVisible());
        QCOMPARE(answer.boxes().size(), 1);
        QVERIFY(answer.boxes()[0].text.contains("geovista.cfg"));
        QVERIFY(!std::filesystem::exists(dir_->file("geovista.loc")));
    }

    void okNamesTheSelectionWhenOnlyItCannotBeWritten() {
        MainWindow& w = open();
        selectCity(3);
        click(locations(), "show");
        std::filesystem::create_directory(dir_->file("geovista.sel")); // cannot be replaced
        ModalAnswer answer(QMessageBox::Ok);
        click(&w, "ok");
        QVERIFY(w.isVisible());
        QCOMPARE(answer.boxes().size(), 1);
        const QString text = answer.boxes()[0].text;
        QVERIFY2(text.startsWith("Unable to write geovista.sel in"), qPrintable(text));
        QVERIFY2(!text.contains("geovista.loc"), qPrintable(text));
    }

    void filesThatCannotBeReadAreNamedAtTheStartAndOkLeavesThem() {
        // Folders in the files' places: there, but not readable as files.
        std::filesystem::create_directory(dir_->file("geovista.cfg"));
        gv::test::writeBytes(dir_->file("geovista.loc"), records(3, "Town "));
        gv::test::writeBytes(dir_->file("geovista.sel"), {2, 0, 0, 0});
        ModalAnswer answer(QMessageBox::Ok);
        MainWindow& w = open();
        QTRY_COMPARE(answer.boxes().size(), 1);
        QCOMPARE(answer.boxes()[0].title, QStringLiteral("Unreadable Files"));
        const QString reason =
            QString::fromStdString(checkReadable(dir_->file("geovista.cfg")).reason);
        QVERIFY(!reason.isEmpty());
        QCOMPARE(answer.boxes()[0].text,
                 QString("In %1:\n\ngeovista.cfg cannot be read (%2).\nThe factory settings are "
                         "shown; OK will leave the file as it is.")
                     .arg(QString::fromStdString(dir_->folder()), reason));
        QVERIFY(child<QCheckBox>(options(), "fullScreen")->isChecked()); // the factory settings
        QCOMPARE(shownNames(), QStringList{"Town 2"});

        // OK writes the places, leaves the settings alone and says so.
        selectCity(0);
        click(locations(), "show");
        click(&w, "ok");
        QVERIFY(!w.isVisible());
        QCOMPARE(answer.boxes().size(), 2);
        QVERIFY2(answer.boxes()[1].text.contains(
                     "geovista.cfg is left as it is: it could not be read (" + reason + ")."),
                 qPrintable(answer.boxes()[1].text));
        QVERIFY(std::filesystem::is_directory(dir_->file("geovista.cfg")));
        QCOMPARE(fileBytes(dir_->file("geovista.sel")), QByteArray("\x02\0\0\0\0\0\0\0", 8));
    }

    void aDatabaseThatCannotBeReadKeepsItAndItsSelection() {
        std::filesystem::create_directory(dir_->file("geovista.loc"));
        gv::test::writeBytes(dir_->file("geovista.sel"), {7, 0, 0, 0});
        ModalAnswer answer(QMessageBox::Ok);
        MainWindow& w = open();
        QTRY_COMPARE(answer.boxes().size(), 1);
        const QString text = answer.boxes()[0].text;
        QVERIFY2(text.contains("geovista.loc cannot be read ("), qPrintable(text));
        QVERIFY2(text.contains("The built-in places are shown; OK will leave the file, and "
                               "geovista.sel, as they are."),
                 qPrintable(text));
        QCOMPARE(cities()->model()->rowCount(), 1306);
        child<QCheckBox>(options(), "performance")->setChecked(true);
        click(&w, "ok");
        QVERIFY(!w.isVisible());
        QCOMPARE(answer.boxes().size(), 2);
        QVERIFY(answer.boxes()[1].text.contains("geovista.loc is left as it is"));
        QVERIFY(answer.boxes()[1].text.contains("geovista.sel is left as it is"));
        QVERIFY(std::filesystem::is_directory(dir_->file("geovista.loc")));
        QCOMPARE(fileBytes(dir_->file("geovista.sel")), QByteArray("\x07\0\0\0", 4));
        QCOMPARE(readI32(&gv::test::readBytes(dir_->file("geovista.cfg"))[1172]), -1);
    }

    void resetForgetsThatASettingsFileCouldNotBeReadOnceItIsGone() {
        // A folder with something in it: Reset cannot delete it, so it
        // stays, and so does the reason not to write over it.
        std::filesystem::create_directory(dir_->file("geovista.cfg"));
        gv::test::writeBytes(dir_->file("geovista.cfg/inside"), {1});
        ModalAnswer answer(QMessageBox::Yes);
        MainWindow& w = open();
        QTRY_COMPARE(answer.boxes().size(), 1);
        click(&w, "reset");
        QCOMPARE(answer.boxes().size(), 2);
        click(&w, "ok");
        QVERIFY(!w.isVisible());
        QVERIFY(std::filesystem::is_directory(dir_->file("geovista.cfg")));

        // An empty one Reset deletes: OK then writes a new settings file.
        window_.reset();
        std::filesystem::remove(dir_->file("geovista.cfg/inside"));
        MainWindow& again = open();
        QTRY_COMPARE(answer.boxes().size(), 4);
        click(&again, "reset");
        QCOMPARE(answer.boxes().size(), 5);
        click(&again, "ok");
        QVERIFY(!again.isVisible());
        QCOMPARE(gv::test::readBytes(dir_->file("geovista.cfg")).size(), std::size_t(1196));
    }

    void cancelAfterChangesTouchesNothing() {
        gv::test::writeBytes(dir_->file("geovista.cfg"), std::vector<uint8_t>(1196, 0));
        gv::test::writeBytes(dir_->file("geovista.loc"), records(3, "Town "));
        gv::test::writeBytes(dir_->file("geovista.sel"), {1, 0, 0, 0});
        const QByteArray cfg = fileBytes(dir_->file("geovista.cfg"));
        const QByteArray loc = fileBytes(dir_->file("geovista.loc"));
        MainWindow& w = open();
        QCOMPARE(shownNames(), QStringList{"Town 1"});
        child<QCheckBox>(options(), "stars")->setChecked(true);
        child<QSlider>(options(), "ambientLight")->setValue(80);
        selectCity(0);
        click(locations(), "show");
        click(locations(), "hideAll");
        {
            ModalAnswer answer(QMessageBox::Yes);
            selectCity(2);
            click(locations(), "remove");
        }
        QCOMPARE(cities()->model()->rowCount(), 2);
        click(&w, "cancel");
        QVERIFY(!w.isVisible());
        QCOMPARE(fileBytes(dir_->file("geovista.cfg")), cfg);
        QCOMPARE(fileBytes(dir_->file("geovista.loc")), loc);
        QCOMPARE(fileBytes(dir_->file("geovista.sel")), QByteArray("\x01\x00\x00\x00", 4));
        QCOMPARE(filesInFolder(), std::size_t(3));
    }

    void theEarthGroupsThreeOptionsAreBitsOfOneWord() {
        // An older file: zeros where the options live, a labels bit beside them.
        std::vector<uint8_t> old(1196, 0);
        old[1194] = 0x08;
        gv::test::writeBytes(dir_->file("geovista.cfg"), old);
        MainWindow& w = open();
        auto* lights = child<QCheckBox>(options(), "nightLights");
        auto* seasons = child<QCheckBox>(options(), "trueSeasons");
        auto* air = child<QCheckBox>(options(), "atmosphere");
        QVERIFY(!lights->isChecked());
        QVERIFY(!seasons->isChecked());
        QVERIFY(!air->isChecked());
        seasons->setChecked(true);
        air->setChecked(true);
        click(&w, "ok");
        const auto cfg = gv::test::readBytes(dir_->file("geovista.cfg"));
        QCOMPARE(cfg.size(), std::size_t(1196));
        QCOMPARE(int(readU16(&cfg[1194])), 0x08 | 0x02 | 0x04);
    }

    void theDeclutterBoxTurnsBitThreeOnly() {
        std::vector<uint8_t> old(1196, 0);
        old[1194] = 0x01; // night lights alone, from before the labels' bit
        gv::test::writeBytes(dir_->file("geovista.cfg"), old);
        MainWindow& w = open();
        auto* declutter = child<QCheckBox>(options(), "labelsDeclutter");
        QVERIFY(!declutter->isChecked());
        declutter->setChecked(true);
        click(&w, "ok");
        const auto cfg = gv::test::readBytes(dir_->file("geovista.cfg"));
        QCOMPARE(int(readU16(&cfg[1194])), 0x01 | 0x08);
    }

    void defaultsAsksFirstAndForgetsTheOptionsOnYes() {
        MainWindow& w = open();
        auto* fov = child<QSlider>(options(), "fieldOfView");
        fov->setValue(90);
        QCOMPARE(readF32(&w.settings().bytes()[408]), 1.47f);
        {
            ModalAnswer answer(QMessageBox::No);
            click(options(), "defaults");
            QCOMPARE(answer.boxes().size(), 1);
            QCOMPARE(answer.boxes()[0].title, QStringLiteral("Confirmation"));
            QCOMPARE(answer.boxes()[0].text,
                     QStringLiteral("Are you sure?\nThis will forget any options you modified."));
        }
        QCOMPARE(fov->value(), 90);
        {
            ModalAnswer answer(QMessageBox::Yes);
            click(options(), "defaults");
        }
        QCOMPARE(fov->value(), 40);
        QCOMPARE(readF32(&w.settings().bytes()[408]), 0.97f);
        QCOMPARE(filesInFolder(), std::size_t(0));
    }

    void resetAsksFirstAndDeletesTheThreeFilesOnYes() {
        gv::test::writeBytes(dir_->file("geovista.cfg"), std::vector<uint8_t>(1196, 0));
        gv::test::writeBytes(dir_->file("geovista.loc"), records(3, "Town "));
        gv::test::writeBytes(dir_->file("geovista.sel"), {1, 0, 0, 0});
        gv::test::writeBytes(dir_->file("other.txt"), {1});
        MainWindow& w = open();
        QVERIFY(!child<QCheckBox>(options(), "fullScreen")->isChecked());
        {
            ModalAnswer answer(QMessageBox::No);
            click(&w, "reset");
            QCOMPARE(answer.boxes()[0].text,
                     QStringLiteral("Are you sure?\nThis will reset all configurations to factory "
                                    "defaults.\nThis includes forgetting any locations you added "
                                    "or removed."));
        }
        QCOMPARE(filesInFolder(), std::size_t(4));
        {
            ModalAnswer answer(QMessageBox::Yes);
            click(&w, "reset");
        }
        QVERIFY(child<QCheckBox>(options(), "fullScreen")->isChecked());
        QCOMPARE(cities()->model()->rowCount(), 1306);
        QCOMPARE(shown()->model()->rowCount(), 0);
        QCOMPARE(filesInFolder(), std::size_t(1)); // only other.txt
        click(&w, "ok");
        QCOMPARE(gv::test::readBytes(dir_->file("geovista.loc")).size(), std::size_t(67912));
    }

    void followsEarthOrbitIsEnabledOnlyForTheUserCamera() {
        open();
        auto* camera = child<QComboBox>(options(), "selectedCamera");
        auto* follows = child<QCheckBox>(options(), "followsEarth");
        QCOMPARE(camera->count(), 7);
        QCOMPARE(camera->itemText(4), QStringLiteral("Sun"));
        QCOMPARE(camera->itemText(6), QStringLiteral("User"));
        for (int i = 0; i < 7; ++i) {
            camera->setCurrentIndex(i);
            QCOMPARE(follows->isEnabled(), i == 6);
        }
    }

    void theCameraBarsFollowTheSelectedCamera() {
        MainWindow& w = open();
        auto* camera = child<QComboBox>(options(), "selectedCamera");
        auto* speed = child<QSlider>(options(), "cameraSpeed");
        auto* distance = child<QSlider>(options(), "cameraDistance");
        QCOMPARE(speed->value(), 55);
        camera->setCurrentIndex(1); // Orbit 2: -0.0004, 650
        QCOMPARE(speed->value(), 40);
        QCOMPARE(distance->value(), 55);
        distance->setValue(100);
        QCOMPARE(readI32(&w.settings().bytes()[20 + 48 + 36]), 1000);
        QCOMPARE(readI32(&w.settings().bytes()[20 + 36]), 560);
        camera->setCurrentIndex(0);
        QCOMPARE(distance->value(), 44);
    }

    void anotherDeviceRebuildsTheResolutions() {
        MainWindow& w = open();
        auto* device = child<QComboBox>(options(), "deviceIndex");
        auto* resolution = child<QComboBox>(options(), "resolutionIndex");
        device->setCurrentIndex(1);
        QCOMPARE(resolution->count(), 4);
        QCOMPARE(resolution->itemText(1), QStringLiteral("512x384 16bits"));
        QCOMPARE(resolution->itemText(2), QStringLiteral("640x480 16bits"));
        QCOMPARE(resolution->currentIndex(), 1); // not "Default": entry 1
        QCOMPARE(int(w.settings().deviceIndex()), 1);
        resolution->setCurrentIndex(0);
        device->setCurrentIndex(0);
        QCOMPARE(resolution->currentIndex(), 0);
        QCOMPARE(int(w.settings().resolutionIndex()), 0);
    }

    void aFirstRunOnADeviceWith640x480x16TakesThatEntry() {
        std::vector<uint8_t> cfg(12, 0);
        cfg[8] = 1;              // device 1
        writeU16(&cfg[10], 999); // never chosen
        gv::test::writeBytes(dir_->file("geovista.cfg"), cfg);
        MainWindow& w = open();
        QCOMPARE(child<QComboBox>(options(), "resolutionIndex")->currentIndex(), 2);
        QCOMPARE(int(w.settings().resolutionIndex()), 2);
    }

    void settingsFilesOfEverySizeAreReadAsFarAsTheRecordGoes() {
        // 12 bytes: only the first four fields come from the file.
        std::vector<uint8_t> cfg(12, 0);
        gv::test::writeBytes(dir_->file("geovista.cfg"), cfg);
        {
            MainWindow& w = open();
            QVERIFY(!child<QCheckBox>(options(), "fullScreen")->isChecked());
            QVERIFY(child<QCheckBox>(options(), "filter")->isChecked());
            QCOMPARE(child<QComboBox>(options(), "resolutionIndex")->currentIndex(), 0);
            click(&w, "ok");
            QCOMPARE(gv::test::readBytes(dir_->file("geovista.cfg")).size(), std::size_t(1196));
        }
        // 5000 bytes: the first 1196, and OK writes 1196.
        std::vector<uint8_t> big(5000, 0);
        writeI32(&big[1184], 77);
        gv::test::writeBytes(dir_->file("geovista.cfg"), big);
        {
            MainWindow& w = open();
            QCOMPARE(child<QSlider>(options(), "ambientLight")->value(), 77);
            QVERIFY(!child<QRadioButton>(options(), "sunSize1")->isChecked());
            QCOMPARE(child<QComboBox>(options(), "lensFlareSize")->currentIndex(), -1);
            click(&w, "ok");
            const auto written = gv::test::readBytes(dir_->file("geovista.cfg"));
            QCOMPARE(written.size(), std::size_t(1196));
            QCOMPARE(readI32(&written[1184]), 77);
            QCOMPARE(readI32(&written[492]), 0); // a size no button shows stays as read
        }
        // An empty file keeps the defaults.
        gv::test::writeBytes(dir_->file("geovista.cfg"), {});
        open();
        QVERIFY(child<QCheckBox>(options(), "fullScreen")->isChecked());
    }

    void numberBoxesTakeDigitsUpToTheirLength() {
        MainWindow& w = open();
        auto* hours = child<QLineEdit>(options(), "cloudHours");
        hours->setFocus();
        hours->selectAll();
        QTest::keyClicks(hours, "3");
        QCOMPARE(readU32(&w.settings().bytes()[1028]), 10800u);
        QTest::keyClicks(hours, "x45");
        QCOMPARE(hours->text(), QStringLiteral("34")); // letters refused, two digits at most
        QCOMPARE(readU32(&w.settings().bytes()[1028]), 34u * 3600);
        hours->selectAll();
        QTest::keyClick(hours, Qt::Key_Delete);
        QCOMPARE(readU32(&w.settings().bytes()[1028]), 34u * 3600); // empty: unchanged
        QTest::keyClick(hours, Qt::Key_Tab);
        QCOMPARE(hours->text(), QStringLiteral("34"));
    }

    void swatchesStepThroughThePalette() {
        MainWindow& w = open();
        auto* clock = child<ColourSwatch>(options(), "clockColour");
        QCOMPARE(clock->toolTip(), QStringLiteral("Color of the clock"));
        clock->click();
        QCOMPARE(clock->rgb(), 0xFF0000u);
        QCOMPARE(readI32(&w.settings().bytes()[1168]), 1);
        for (int i = 0; i < 13; ++i)
            clock->click();
        QCOMPARE(readI32(&w.settings().bytes()[1168]), 0);
        QCOMPARE(child<ColourSwatch>(options(), "labelColour")->toolTip(),
                 QStringLiteral("Color of shown locations over the globe"));
    }

    void advancedDialogRoundTrip() {
        MainWindow& w = open();
        ModalAnswer answer;
        answer.onDialog([](QWidget* modal) {
            auto* dialog = qobject_cast<AdvancedCloudsDialog*>(modal);
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Advanced Clouds Options"));
            auto* path = child<QLineEdit>(dialog, "imagePath");
            // The long default path is shown whole; typing may make it as long
            // as the record's field holds (259 characters and the end).
            QCOMPARE(
                path->text(),
                QStringLiteral("/cgi-bin/uncgi/Earth/action?opt=-p&img=wx-cmap.bmp&daynight=-d"));
            path->setFocus();
            path->end(false);
            QTest::keyClicks(path, "zz");
            QCOMPARE(path->text().size(), 64);
            QTest::keyClicks(path, QString(200, QLatin1Char('y')));
            QCOMPARE(path->text().size(), 259);
            auto* hints = child<QPlainTextEdit>(dialog, "cloudHints");
            QCOMPARE(hints->toPlainText().section('\n', 0, 0), QStringLiteral("4872547"));
            child<QLineEdit>(dialog, "serverUrl")->setText("clouds.example.org");
            path->setText("/img.bmp");
            hints->setPlainText("10\n20\n30");
            dialog->accept();
        });
        click(options(), "advanced");
        QCOMPARE(w.settings().cloudServerHost(), std::string("clouds.example.org"));
        QCOMPARE(w.settings().cloudImagePath(), std::string("/img.bmp"));
        QCOMPARE(w.settings().cloudColour(2), 30u);
        QCOMPARE(w.settings().cloudColour(3), 0u);

        // Shown again from the record; Cancel keeps it.
        answer.onDialog([](QWidget* modal) {
            auto* dialog = static_cast<QDialog*>(modal);
            QCOMPARE(child<QLineEdit>(dialog, "serverUrl")->text(),
                     QStringLiteral("clouds.example.org"));
            QCOMPARE(child<QPlainTextEdit>(dialog, "cloudHints")->toPlainText().left(9),
                     QStringLiteral("10\n20\n30\n"));
            child<QLineEdit>(dialog, "serverUrl")->setText("other");
            dialog->reject();
        });
        click(options(), "advanced");
        QCOMPARE(w.settings().cloudServerHost(), std::string("clouds.example.org"));
    }

    // The presets fill the server and the path and show the credit their
    // maps ask for; the list follows what is typed; OK stores the fields.
    void cloudSourcePresets() {
        MainWindow& w = open();
        const QString factoryHost = QString::fromStdString(w.settings().cloudServerHost());
        const QString factoryPath = QString::fromStdString(w.settings().cloudImagePath());
        QCOMPARE(factoryHost, QStringLiteral("www.fourmilab.ch"));
        ModalAnswer answer;
        answer.onDialog([&](QWidget* modal) {
            auto* dialog = static_cast<QDialog*>(modal);
            auto* source = child<QComboBox>(dialog, "cloudSource");
            auto* server = child<QLineEdit>(dialog, "serverUrl");
            auto* path = child<QLineEdit>(dialog, "imagePath");
            auto* credit = child<QLabel>(dialog, "cloudCredit");
            QCOMPARE(source->count(), 3);
            QCOMPARE(source->currentIndex(), 0); // the factory settings
            QVERIFY(source->currentText().contains(QStringLiteral("www.fourmilab.ch")));
            QCOMPARE(credit->text(), QString());
            QCOMPARE(source->itemText(1),
                     QStringLiteral("Live cloud maps (EUMETSAT data, via clouds.matteason.co.uk)"));
            source->setFocus();
            QTest::keyClick(source, Qt::Key_Down);
            QCOMPARE(source->currentIndex(), 1);
            QCOMPARE(server->text(), QStringLiteral("https://clouds.matteason.co.uk"));
            QCOMPARE(path->text(), QStringLiteral("/images/2048x1024/clouds.jpg"));
            QCOMPARE(credit->text(), QStringLiteral("Contains modified EUMETSAT data"));
            QVERIFY(credit->isVisibleTo(dialog));
            dialog->accept();
        });
        click(options(), "advanced");
        QCOMPARE(w.settings().cloudServerHost(), std::string("https://clouds.matteason.co.uk"));
        QCOMPARE(w.settings().cloudImagePath(), std::string("/images/2048x1024/clouds.jpg"));

        answer.onDialog([&](QWidget* modal) {
            auto* dialog = static_cast<QDialog*>(modal);
            auto* source = child<QComboBox>(dialog, "cloudSource");
            auto* server = child<QLineEdit>(dialog, "serverUrl");
            auto* path = child<QLineEdit>(dialog, "imagePath");
            auto* credit = child<QLabel>(dialog, "cloudCredit");
            // Shown again from the record, the host in any case.
            QCOMPARE(source->currentIndex(), 1);
            QCOMPARE(credit->text(), QStringLiteral("Contains modified EUMETSAT data"));
            // Another picture of the same service is another server's path.
            path->setFocus();
            path->end(false);
            QTest::keyClick(path, Qt::Key_Backspace);
            QCOMPARE(source->currentIndex(), 2);
            QCOMPARE(credit->text(), QString());
            server->setText("HTTPS://Clouds.MattEason.co.uk");
            QTest::keyClick(path, Qt::Key_G);
            QCOMPARE(source->currentIndex(), 1);
            // Back to the factory settings.
            source->setFocus();
            QTest::keyClick(source, Qt::Key_Up);
            QCOMPARE(server->text(), factoryHost);
            QCOMPARE(path->text(), factoryPath);
            dialog->reject();
        });
        click(options(), "advanced");
        // Cancel: the live preset stays in the record.
        QCOMPARE(w.settings().cloudServerHost(), std::string("https://clouds.matteason.co.uk"));
    }

    void aBadHintLineIsNamedAndTheDialogStaysOpen() {
        MainWindow& w = open();
        bool stayedOpen = false;
        ModalAnswer answer(QMessageBox::Ok);
        answer.onDialog([&](QWidget* modal) {
            auto* dialog = static_cast<QDialog*>(modal);
            child<QPlainTextEdit>(dialog, "cloudHints")->setPlainText("1\n2\nwhite\n4");
            dialog->accept(); // the message box is answered by the timer
            stayedOpen = dialog->isVisible();
            dialog->reject();
        });
        click(options(), "advanced");
        QVERIFY(stayedOpen);
        QCOMPARE(answer.boxes().size(), 1);
        QVERIFY(answer.boxes()[0].text.contains("Line 3"));
        QVERIFY(answer.boxes()[0].text.contains("white"));
        QCOMPARE(w.settings().cloudColour(1), 2u);
        QCOMPARE(w.settings().cloudColour(2), 5924203u);
    }

    void importShowsItsProgressAndReportsTheCount() {
        open();
        gv::test::writeBytes(dir_->file("new.loc"), records(3, "Imported "));
        QString lastCount;
        bool sawWindow = false;
        QTimer watch;
        watch.setInterval(0);
        connect(&watch, &QTimer::timeout, [&] {
            if (auto* p = locations()->findChild<ImportProgressWindow*>()) {
                sawWindow = true;
                QVERIFY(p->windowFlags() & Qt::FramelessWindowHint);
                QVERIFY(p->windowFlags() & Qt::WindowStaysOnTopHint);
                lastCount = child<QLabel>(p, "importCount")->text();
            }
        });
        watch.start();
        ModalAnswer answer(QMessageBox::Ok);
        locations()->importFrom(QString::fromStdString(dir_->file("new.loc")));
        QVERIFY(sawWindow);
        QCOMPARE(lastCount, QStringLiteral("New locations: 3"));
        QCOMPARE(answer.boxes().size(), 1);
        QCOMPARE(answer.boxes()[0].title, QStringLiteral("Import"));
        QCOMPARE(answer.boxes()[0].text, QStringLiteral("File Imported"));
        QCOMPARE(cities()->model()->rowCount(), 1309);
        QCOMPARE(cities()->model()->index(1308, 0).data().toString(), QStringLiteral("Imported 2"));

        // The database just written by OK adds nothing.
        window_->accept();
        open();
        locations()->importFrom(QString::fromStdString(dir_->file("geovista.loc")));
        QCOMPARE(lastCount, QStringLiteral("New locations: 0"));
        QCOMPARE(answer.boxes().last().text, QStringLiteral("File Imported"));
        QCOMPARE(cities()->model()->rowCount(), 1309);

        // A file that is not whole records is refused before any window.
        gv::test::writeBytes(dir_->file("odd.loc"), std::vector<uint8_t>(53, 0x41));
        sawWindow = false;
        locations()->importFrom(QString::fromStdString(dir_->file("odd.loc")));
        QVERIFY(!sawWindow);
        QCOMPARE(answer.boxes().last().text, QStringLiteral("Unable to import this file"));
        locations()->importFrom(QString::fromStdString(dir_->file("absent.loc")));
        QCOMPARE(answer.boxes().last().text, QStringLiteral("Unable to import this file"));
        QCOMPARE(cities()->model()->rowCount(), 1309);
    }

    void cancellingAnImportKeepsWhatWasAdded() {
        open();
        gv::test::writeBytes(dir_->file("big.loc"), records(20000, "Hamlet "));
        QTimer watch;
        watch.setInterval(0);
        connect(&watch, &QTimer::timeout, [&] {
            auto* p = locations()->findChild<ImportProgressWindow*>();
            if (p && child<QLabel>(p, "importCount")->text() != "New locations: 0")
                QTest::mouseClick(child<QPushButton>(p, "importCancel"), Qt::LeftButton);
        });
        watch.start();
        ModalAnswer answer(QMessageBox::Ok);
        locations()->importFrom(QString::fromStdString(dir_->file("big.loc")));
        QCOMPARE(answer.boxes().last().text, QStringLiteral("File Imported"));
        const int rows = cities()->model()->rowCount();
        QVERIFY2(rows > 1306 && rows < 1306 + 20000, qPrintable(QString::number(rows)));
    }

    void importThroughTheFileDialog() {
        open();
        gv::test::writeBytes(dir_->file("picked.loc"), records(2, "Picked "));
        ModalAnswer answer(QMessageBox::Ok);
        QString title, filter;
        answer.onDialog([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            QVERIFY(dialog);
            title = dialog->windowTitle();
            filter = dialog->nameFilters().join(';');
            auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            QVERIFY(name);
            name->setText("picked");
            QTest::keyClick(name, Qt::Key_Return);
        });
        click(locations(), "import");
        QCOMPARE(title, QStringLiteral("Import Geovista 3D Locations"));
        QCOMPARE(filter, QStringLiteral("Geovista 3D files (*.loc)"));
        QCOMPARE(answer.boxes().last().text, QStringLiteral("File Imported"));
        QCOMPARE(cities()->model()->rowCount(), 1308);
    }

    void newRefusesMissingFieldsAndNamesDifferingOnlyInCase() {
        open();
        ModalAnswer answer(QMessageBox::Ok);
        click(locations(), "new");
        QCOMPARE(answer.boxes().last().title, QStringLiteral("Not Enough Information"));
        QCOMPARE(answer.boxes().last().text, QStringLiteral("Please fill all fields."));
        selectCity(cityRow("London"));
        child<QLineEdit>(locations(), "locationName")->setText("LONDON");
        click(locations(), "new");
        QCOMPARE(answer.boxes().last().title, QStringLiteral("Existent Location"));
        QCOMPARE(answer.boxes().last().text, QStringLiteral("This location is in the database."));
        child<QLineEdit>(locations(), "locationName")->setText("Londonderry East");
        click(locations(), "new");
        QCOMPARE(answer.boxes().size(), 2);
        QCOMPARE(cities()->model()->rowCount(), 1307);
        QCOMPARE(cities()->currentIndex().row(), 1306); // the new last line
    }

    void aRecordShowsInTheFieldsAndUpdateKeepsItWest() {
        MainWindow& w = open();
        const int london = cityRow("London");
        QVERIFY(london >= 0);
        selectCity(london);
        QCOMPARE(child<QLineEdit>(locations(), "locationName")->text(), QStringLiteral("London"));
        QCOMPARE(child<QLineEdit>(locations(), "longitudeDegrees")->text(), QStringLiteral("0"));
        QCOMPARE(child<QLineEdit>(locations(), "longitudeMinutes")->text(), QStringLiteral("5"));
        QCOMPARE(child<QComboBox>(locations(), "longitudeHemisphere")->currentText(),
                 QStringLiteral("W"));
        QCOMPARE(child<QComboBox>(locations(), "timeZone")->currentText(), QStringLiteral("GMT"));
        QCOMPARE(child<QComboBox>(locations(), "timeZone")->count(), 26);
        click(locations(), "update");
        QVERIFY(w.locations().database()[std::size_t(london)].longitude < 0.0f);
    }

    void showingTwiceListsOnceAndRemovingRenumbers() {
        MainWindow& w = open();
        selectCity(10);
        click(locations(), "show");
        click(locations(), "show");
        QTest::mouseDClick(cities()->viewport(), Qt::LeftButton, {},
                           cities()->visualRect(cities()->currentIndex()).center());
        selectCity(20);
        click(locations(), "show");
        const QString twentieth = cities()->model()->index(20, 0).data().toString();
        QCOMPARE(shownNames().size(), 2);
        ModalAnswer answer(QMessageBox::Yes);
        selectCity(10);
        click(locations(), "remove");
        QCOMPARE(answer.boxes().last().title, QStringLiteral("Delete Location"));
        QCOMPARE(answer.boxes().last().text, QStringLiteral("Are you sure?"));
        QCOMPARE(shownNames(), QStringList{twentieth});
        QCOMPARE(w.locations().shownIndices(), std::vector<uint32_t>{19});
        shown()->setCurrentIndex(shown()->model()->index(0, 0));
        click(locations(), "hide");
        QCOMPARE(shownNames().size(), 0);
    }

    void updateAndRemoveWithoutAHighlightedCityDoNothing() {
        MainWindow& w = open();
        ModalAnswer answer;
        cities()->setCurrentIndex({});
        click(locations(), "update");
        click(locations(), "remove");
        QCOMPARE(answer.boxes().size(), 0);
        QCOMPARE(w.locations().cityCount(), std::size_t(1306));
    }

    void searchKeysAndTypingInTheList() {
        MainWindow& w = open();
        w.tabs()->setCurrentWidget(locations());
        auto* search = child<QLineEdit>(locations(), "search");
        search->setFocus();
        QTest::keyClicks(search, "z");
        // QTest types ASCII only: the accented letter as the event a keyboard sends.
        QTest::sendKeyEvent(QTest::Click, search, Qt::Key_Udiaeresis, QStringLiteral("ü"),
                            Qt::NoModifier);
        QTest::keyClicks(search, "r");
        QCOMPARE(cities()->currentIndex().data().toString(), QStringLiteral("Zürich"));
        QCOMPARE(child<QLineEdit>(locations(), "locationName")->text(), QStringLiteral("Zürich"));
        QTest::keyClick(search, Qt::Key_Return);
        QCOMPARE(shownNames(), QStringList{"Zürich"});
        QVERIFY(w.isVisible()); // Enter in the search box is not OK
        search->clear();
        QTest::keyClicks(search, "lond");
        const int london = cities()->currentIndex().row();
        QTest::keyClick(search, Qt::Key_Down);
        QCOMPARE(cities()->currentIndex().row(), london + 1);
        QCOMPARE(QApplication::focusWidget(), cities());
        QTest::keyClick(cities(), Qt::Key_Enter);
        QCOMPARE(shownNames().size(), 2);
        QTest::keyClicks(cities(), "x");
        QCOMPARE(QApplication::focusWidget(), search);
        QCOMPARE(search->text(), QStringLiteral("londx"));
        QCOMPARE(cities()->currentIndex().row(), london + 1); // no match changes nothing
    }

    void locationsDefaultsAsksAndRestoresTheBuiltInList() {
        gv::test::writeBytes(dir_->file("geovista.loc"), records(3, "Town "));
        gv::test::writeBytes(dir_->file("geovista.sel"), {0, 0, 0, 0});
        gv::test::writeBytes(dir_->file("geovista.cfg"), std::vector<uint8_t>(1196, 0));
        open();
        ModalAnswer answer(QMessageBox::Yes);
        click(locations(), "locationDefaults");
        QCOMPARE(answer.boxes().last().title, QStringLiteral("Confirmation"));
        QCOMPARE(
            answer.boxes().last().text,
            QStringLiteral("Are you sure?\nThis will forget any locations you added or removed."));
        QCOMPARE(cities()->model()->rowCount(), 1306);
        QCOMPARE(shownNames().size(), 0);
        QVERIFY(!std::filesystem::exists(dir_->file("geovista.loc")));
        QVERIFY(!std::filesystem::exists(dir_->file("geovista.sel")));
        QVERIFY(std::filesystem::exists(dir_->file("geovista.cfg")));
    }

    void aDamagedDatabaseAndSelectionLoadWhatTheyHold() {
        auto db = records(2, "Place ");
        db.resize(db.size() + 30, 0x55);
        gv::test::writeBytes(dir_->file("geovista.loc"), db);
        const uint32_t sel[] = {1, 9, 0};
        gv::test::writeBytes(dir_->file("geovista.sel"), encodeSelection(sel));
        open();
        QCOMPARE(cities()->model()->rowCount(), 2);
        QCOMPARE(shownNames(), (QStringList{"Place 1", "Place 0"}));
    }

    void everyControlCanBeReachedFromTheKeyboard() {
        MainWindow& w = open();
        for (QWidget* tab :
             {static_cast<QWidget*>(options()), static_cast<QWidget*>(locations())}) {
            w.tabs()->setCurrentWidget(tab);
            const auto widgets = tab->findChildren<QWidget*>();
            for (QWidget* c : widgets) {
                const bool control = qobject_cast<QAbstractButton*>(c) ||
                                     qobject_cast<QComboBox*>(c) || qobject_cast<QLineEdit*>(c) ||
                                     qobject_cast<QSlider*>(c) || qobject_cast<QListView*>(c);
                if (control && c->isVisibleTo(tab))
                    QVERIFY2(c->focusPolicy() & Qt::TabFocus, qPrintable(c->objectName()));
            }
        }
        // The mnemonics of the locations tab, as written on the buttons.
        const char* captions[][2] = {{"show", "&show >>"},     {"hide", "<< &hide"},
                                     {"hideAll", "hide &all"}, {"new", "&new"},
                                     {"update", "&update"},    {"remove", "&remove"},
                                     {"import", "&import..."}, {"locationDefaults", "&defaults"}};
        for (const auto& c : captions)
            QCOMPARE(child<QPushButton>(locations(), c[0])->text(), QString::fromLatin1(c[1]));
    }
};

QTEST_MAIN(EditorWindowTest)
#include "editor_window_test.moc"
