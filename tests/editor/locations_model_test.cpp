#include "editor/locations_model.h"
#include "editor/trimmed_blanks.h"
#include "formats/byte_io.h"
#include "formats/selection_file.h"
#include "formats/text_1252.h"
#include "platform/resources.h"
#include "resources/builtin_resources.h"
#include "resources/editor_resources.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

namespace gv::editor {
namespace {

std::span<const uint8_t> builtIn() {
    resources::registerEditorResources();
    return platform::findResource(platform::kResourceRawData, resources::kEditorCitiesDatabase);
}

std::vector<uint8_t> recordBytes(const char* name, float lat, float lon, int zone,
                                 uint16_t country = 7) {
    LocationRecord r = makeLocationRecord(name, lat, lon, zone);
    r.catalogueCountry = country;
    r.catalogueRegion = 70u + country;
    const auto bytes = encodeLocationRecord(r);
    return {bytes.begin(), bytes.end()};
}

std::vector<uint8_t> database(std::initializer_list<const char*> names) {
    std::vector<uint8_t> out;
    float lat = 1.0f;
    for (const char* n : names) {
        const auto r = recordBytes(n, lat, -lat, 1);
        out.insert(out.end(), r.begin(), r.end());
        lat += 1.0f;
    }
    return out;
}

LocationEntry filled(const char* name) {
    LocationEntry e;
    e.name = name;
    e.latitudeDegrees = "12";
    e.latitudeMinutes = "30";
    e.latitudeHemisphere = 1; // S
    e.longitudeDegrees = "100";
    e.longitudeMinutes = "15";
    e.longitudeHemisphere = 0; // E
    e.timeZone = 19;           // GMT+7
    return e;
}

std::vector<std::string> shownNames(const LocationsModel& m) {
    std::vector<std::string> names;
    for (std::size_t j = 0; j < m.shownCount(); ++j)
        names.push_back(m.shownName(j));
    return names;
}

TEST(LocationsLoad, NoFileTakesTheBuiltInPlacesAndNoSelection) {
    test::TempDir dir;
    test::writeBytes(dir.file("geovista.sel"), {0, 0, 0, 0});
    LocationsModel m;
    m.load(dir.folder(), builtIn());
    EXPECT_FALSE(m.databaseFromFile());
    ASSERT_EQ(m.cityCount(), 1306u);
    EXPECT_EQ(m.cityLine(0), "Abadan");
    EXPECT_TRUE((m.shownCount() == 0)); // an old selection cannot point into the built-in list
}

TEST(LocationsLoad, TheListsShowTheFilesRecordsAndTheSelectionsNames) {
    test::TempDir dir;
    test::writeBytes(dir.file("geovista.loc"), database({"Alpha", "Bravo", "Charlie"}));
    const uint32_t sel[] = {2, 0, 2};
    test::writeBytes(dir.file("geovista.sel"), encodeSelection(sel));
    LocationsModel m;
    m.load(dir.folder(), builtIn());
    EXPECT_TRUE(m.databaseFromFile());
    ASSERT_EQ(m.cityCount(), 3u);
    EXPECT_EQ(m.cityLine(1), "Bravo");
    EXPECT_EQ(shownNames(m), (std::vector<std::string>{"Charlie", "Alpha", "Charlie"}));
    EXPECT_EQ(m.shownIndices(), (std::vector<uint32_t>{2, 0, 2}));
}

TEST(LocationsLoad, ANameWithoutTerminatorShowsThirtyOneCharacters) {
    test::TempDir dir;
    auto db = database({"x"});
    std::memset(&db[8], 'N', 32);
    test::writeBytes(dir.file("geovista.loc"), db);
    LocationsModel m;
    m.load(dir.folder(), builtIn());
    EXPECT_EQ(m.cityLine(0), std::string(31, 'N'));
}

TEST(LocationsSave, DatabaseAndSelectionAreWrittenByteForByte) {
    test::TempDir dir;
    LocationsModel m;
    m.load(dir.folder(), builtIn());
    m.show(5);
    m.show(1300);
    ASSERT_FALSE(m.save(dir.folder()).failed());
    const auto written = test::readBytes(dir.file("geovista.loc"));
    const auto original = builtIn();
    EXPECT_TRUE(std::equal(written.begin(), written.end(), original.begin(), original.end()));
    EXPECT_EQ(test::readBytes(dir.file("geovista.sel")),
              (std::vector<uint8_t>{5, 0, 0, 0, 0x14, 0x05, 0, 0}));
    m.hideAll();
    ASSERT_FALSE(m.save(dir.folder()).failed());
    EXPECT_TRUE(test::readBytes(dir.file("geovista.sel")).empty());
    EXPECT_TRUE(m.save(dir.file("no/such/folder/")).failed());
}

TEST(LocationsShown, AShownCityIsListedOnceAndHidesByPosition) {
    test::TempDir dir;
    test::writeBytes(dir.file("geovista.loc"), database({"A", "B", "C"}));
    LocationsModel m;
    m.load(dir.folder(), builtIn());
    EXPECT_TRUE(m.show(2));
    EXPECT_FALSE(m.show(2));
    EXPECT_TRUE(m.show(0));
    EXPECT_FALSE(m.show(3));
    EXPECT_EQ(shownNames(m), (std::vector<std::string>{"C", "A"}));
    m.hide(0);
    EXPECT_EQ(m.shownIndices(), std::vector<uint32_t>{0});
    m.hide(4);
    m.hideAll();
    EXPECT_TRUE((m.shownCount() == 0));
}

TEST(LocationsAdd, EveryFieldIsNeeded) {
    LocationsModel m;
    const LocationEntry full = filled("Somewhere");
    std::vector<LocationEntry> missing(9, full);
    missing[0].name = "   ";
    missing[1].latitudeDegrees = " ";
    missing[2].latitudeMinutes = "";
    missing[3].longitudeDegrees = "";
    missing[4].longitudeMinutes = "  ";
    missing[5].latitudeHemisphere = -1;
    missing[6].longitudeHemisphere = -1;
    missing[7].timeZone = -1;
    missing[8].latitudeMinutes = "3x";
    for (const LocationEntry& e : missing)
        EXPECT_EQ(m.add(e), AddResult::MissingFields);
    EXPECT_EQ(m.cityCount(), 0u);
}

TEST(LocationsAdd, ANewPlaceIsStoredFromItsFields) {
    LocationsModel m;
    ASSERT_EQ(m.add(filled("  Somewhere ")), AddResult::Added);
    ASSERT_EQ(m.cityCount(), 1u);
    EXPECT_EQ(m.cityLine(0), "Somewhere");
    const LocationRecord& r = m.database()[0];
    EXPECT_EQ(locationName(r), "Somewhere");
    EXPECT_EQ(r.latitude, -12.5f);
    EXPECT_EQ(r.longitude, 100.25f);
    EXPECT_EQ(r.timeZone, 7);
    EXPECT_EQ(r.catalogueCountry, 0xFFFF);
    EXPECT_EQ(r.catalogueRegion, 0xFFFFFFFFu);
    EXPECT_TRUE((m.shownCount() == 0)); // new places are not shown by themselves
}

TEST(LocationsAdd, NamesDifferingOnlyInCaseAreRefused) {
    LocationsModel m;
    // Names are Windows-1252 in the model, as in the file.
    const auto named = [](const char* utf8) {
        LocationEntry e = filled("");
        e.name = cp1252FromUtf8(utf8);
        return e;
    };
    ASSERT_EQ(m.add(named("Zürich")), AddResult::Added);
    EXPECT_EQ(m.add(named("ZÜRICH")), AddResult::Existent);
    EXPECT_EQ(m.add(named(" zürich ")), AddResult::Existent);
    EXPECT_EQ(m.add(named("Zürichberg")), AddResult::Added); // whole names only
    EXPECT_EQ(m.cityCount(), 2u);
}

TEST(LocationsAdd, ThirtyCharactersAndOutOfRangeDegreesAreStoredAsEntered) {
    LocationsModel m;
    const std::string thirty(30, 'q');
    LocationEntry e = filled(thirty.c_str());
    e.latitudeDegrees = "99";
    e.latitudeMinutes = "99";
    e.latitudeHemisphere = 0;
    e.longitudeDegrees = "999";
    e.longitudeMinutes = "99";
    e.longitudeHemisphere = 1;
    ASSERT_EQ(m.add(e), AddResult::Added);
    const LocationRecord& r = m.database()[0];
    EXPECT_EQ(locationName(r), thirty);
    EXPECT_EQ(encodeLocationRecord(r)[8 + 30], 0);
    EXPECT_EQ(r.latitude, 100.65f);    // 99 + 99/60
    EXPECT_EQ(r.longitude, -1000.65f); // 999 + 99/60, west
    // Shown back: 100 degrees 39 minutes, too wide for the box but not cut.
    const LocationEntry back = entryFromRecord(r);
    EXPECT_EQ(back.latitudeDegrees, "100");
    EXPECT_EQ(back.latitudeMinutes, "39");
    EXPECT_EQ(back.longitudeDegrees, "1000");
    EXPECT_EQ(back.longitudeHemisphere, 1);
}

TEST(LocationsUpdate, LondonKeepsItsWesternLongitude) {
    test::TempDir dir;
    LocationsModel m;
    m.load(dir.folder(), builtIn());
    const std::ptrdiff_t london = m.search("London");
    ASSERT_GE(london, 0);
    const LocationRecord before = m.database()[std::size_t(london)];
    const LocationEntry shown = entryFromRecord(before);
    EXPECT_EQ(shown.longitudeDegrees, "0");
    EXPECT_EQ(shown.longitudeMinutes, "5");
    EXPECT_EQ(shown.longitudeHemisphere, 1);
    EXPECT_EQ(shown.latitudeHemisphere, 0);
    EXPECT_EQ(shown.timeZone, 12); // "GMT"
    ASSERT_EQ(m.update(london, shown), UpdateResult::Updated);
    const LocationRecord& after = m.database()[std::size_t(london)];
    EXPECT_NEAR(after.longitude, -5.0 / 60.0, 1e-6);
    EXPECT_EQ(after.catalogueCountry, before.catalogueCountry);
    EXPECT_EQ(after.catalogueRegion, before.catalogueRegion);
}

TEST(LocationsUpdate, ChangesTheRecordTheLineAndEveryShownEntryOfIt) {
    test::TempDir dir;
    auto db = database({"Alpha", "Bravo"});
    db[8 + 31] = 0xCD; // the last byte of the name field is not cleared
    test::writeBytes(dir.file("geovista.loc"), db);
    const uint32_t sel[] = {0, 1, 0};
    test::writeBytes(dir.file("geovista.sel"), encodeSelection(sel));
    LocationsModel m;
    m.load(dir.folder(), builtIn());
    EXPECT_EQ(m.update(-1, filled("X")), UpdateResult::NoCity);
    LocationEntry incomplete = filled("X");
    incomplete.timeZone = -1;
    EXPECT_EQ(m.update(0, incomplete), UpdateResult::MissingFields);
    ASSERT_EQ(m.update(0, filled(" Aleph")), UpdateResult::Updated);
    EXPECT_EQ(m.cityLine(0), "Aleph");
    EXPECT_EQ(shownNames(m), (std::vector<std::string>{"Aleph", "Bravo", "Aleph"}));
    const auto bytes = encodeLocationRecord(m.database()[0]);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[8])), "Aleph");
    EXPECT_EQ(bytes[8 + 30], 0);
    EXPECT_EQ(bytes[8 + 31], 0xCD);
    EXPECT_EQ(bytes[0], 7); // catalogue codes carried
    // The old name is free again, the new one taken.
    EXPECT_FALSE(m.holdsName("alpha"));
    EXPECT_TRUE(m.holdsName("ALEPH"));
}

TEST(LocationsRemove, TheShownNamesStayRightAndTheNameIsFreeAgain) {
    // Database A, B, C, D; shown [3, 1]. Removing B leaves A, C, D and [2] naming D.
    test::TempDir dir;
    test::writeBytes(dir.file("geovista.loc"), database({"A", "B", "C", "D"}));
    const uint32_t sel[] = {3, 1};
    test::writeBytes(dir.file("geovista.sel"), encodeSelection(sel));
    LocationsModel m;
    m.load(dir.folder(), builtIn());
    EXPECT_FALSE(m.remove(-1));
    EXPECT_FALSE(m.remove(4));
    ASSERT_TRUE(m.remove(1));
    EXPECT_EQ(m.cityCount(), 3u);
    EXPECT_EQ(m.cityLine(1), "C");
    EXPECT_EQ(shownNames(m), std::vector<std::string>{"D"});
    EXPECT_FALSE(m.holdsName("b"));
    ASSERT_TRUE(m.remove(0));
    EXPECT_EQ(shownNames(m), std::vector<std::string>{"D"});
    ASSERT_FALSE(m.save(dir.folder()).failed());
    EXPECT_EQ(test::readBytes(dir.file("geovista.sel")), (std::vector<uint8_t>{1, 0, 0, 0}));
    EXPECT_EQ(test::readBytes(dir.file("geovista.loc")).size(), 2 * 52u);
}

TEST(LocationsRemove, EveryShownEntryOfTheCityGoes) {
    // Shown [1, 1]: removing Bravo must not leave an entry that the file
    // would then have naming Charlie.
    test::TempDir dir;
    test::writeBytes(dir.file("geovista.loc"), database({"Alpha", "Bravo", "Charlie"}));
    const uint32_t sel[] = {1, 1};
    test::writeBytes(dir.file("geovista.sel"), encodeSelection(sel));
    LocationsModel m;
    m.load(dir.folder(), builtIn());
    ASSERT_TRUE(m.remove(1));
    EXPECT_EQ(m.shownCount(), 0u);
    ASSERT_FALSE(m.save(dir.folder()).failed());
    EXPECT_TRUE(test::readBytes(dir.file("geovista.sel")).empty());
}

// What the item views hear: every change announced before it happens and
// confirmed after, the rows counted as the view would count them.
struct ViewCounts : LocationsListener {
    const LocationsModel* m = nullptr;
    std::vector<std::string> heard;
    std::size_t cities = 0, shown = 0;
    void cityAboutToRemove(std::size_t k) override {
        heard.push_back("city? " + std::to_string(k));
        EXPECT_EQ(m->cityCount(), cities) << "announced after the change";
    }
    void cityRemoved() override {
        heard.push_back("city");
        EXPECT_EQ(m->cityCount(), --cities);
    }
    void shownAboutToRemove(std::size_t j) override {
        heard.push_back("shown? " + std::to_string(j));
        EXPECT_EQ(m->shownCount(), shown) << "announced after the change";
    }
    void shownRemoved() override {
        heard.push_back("shown");
        EXPECT_EQ(m->shownCount(), --shown);
    }
    void shownChanged(std::size_t j) override {
        heard.push_back("changed " + std::to_string(j) + " " + m->shownName(j));
    }
};

TEST(LocationsRemove, TheViewsHearEachRowBeforeAndAfterItGoes) {
    test::TempDir dir;
    test::writeBytes(dir.file("geovista.loc"), database({"A", "B", "C", "D"}));
    const uint32_t sel[] = {1, 3, 1};
    test::writeBytes(dir.file("geovista.sel"), encodeSelection(sel));
    LocationsModel m;
    m.load(dir.folder(), builtIn());
    ViewCounts views;
    views.m = &m;
    views.cities = m.cityCount();
    views.shown = m.shownCount();
    m.setListener(&views);
    ASSERT_TRUE(m.remove(1));
    m.setListener(nullptr);
    EXPECT_EQ(views.heard, (std::vector<std::string>{"city? 1", "city", "shown? 2", "shown",
                                                     "shown? 0", "shown", "changed 0 D"}));
}

TEST(LocationsSearch, FindsTheFirstLineBeginningWithTheTextInAnyCase) {
    test::TempDir dir;
    LocationsModel m;
    m.load(dir.folder(), builtIn());
    const std::ptrdiff_t london = m.search("london");
    ASSERT_GE(london, 0);
    EXPECT_EQ(m.cityLine(std::size_t(london)), "London");
    EXPECT_EQ(m.search("LONDON"), london);
    EXPECT_EQ(m.search("Lond"), london);
    EXPECT_EQ(m.search("a"), 0); // "Abadan"
    EXPECT_EQ(m.search(""), -1);
    EXPECT_EQ(m.search("Qqqq"), -1);
    EXPECT_EQ(m.search(std::string(17, 'A')), -1); // longer than any name
    const std::ptrdiff_t zurich = m.search(cp1252FromUtf8("ZÜR"));
    ASSERT_GE(zurich, 0);
    EXPECT_EQ(utf8FromCp1252(m.cityLine(std::size_t(zurich))), "Zürich");
}

class LocationsImport : public ::testing::Test {
  protected:
    test::TempDir dir;
    LocationsModel m;
    std::vector<int> percents;
    std::size_t cancelAfter = SIZE_MAX;
    bool started = false;

    void SetUp() override {
        test::writeBytes(dir.file("geovista.loc"), database({"Alpha", "Bravo"}));
        m.load(dir.folder(), builtIn());
    }
    ImportReport import(const std::string& path) {
        return m.importFile(
            path, [this] { started = true; },
            [this](int percent, std::size_t added) {
                percents.push_back(percent);
                return added < cancelAfter;
            });
    }
};

TEST_F(LocationsImport, AppendsNewNamesKeepingEveryByteAndSkipsKnownOnesInAnyCase) {
    std::vector<uint8_t> file = recordBytes("BRAVO", 5, 5, 2, 31);
    const auto charlie = recordBytes("Charlie", -33.5f, 151.25f, 10, 42);
    file.insert(file.end(), charlie.begin(), charlie.end());
    const auto again = recordBytes("charlie", 1, 1, 1, 43); // added just before
    file.insert(file.end(), again.begin(), again.end());
    const auto delta = recordBytes("Delta", 0, 0, 0, 44);
    file.insert(file.end(), delta.begin(), delta.end());
    test::writeBytes(dir.file("other.loc"), file);

    const ImportReport r = import(dir.file("other.loc"));
    EXPECT_TRUE(r.imported);
    EXPECT_FALSE(r.cancelled);
    EXPECT_EQ(r.added, 2u);
    ASSERT_EQ(m.cityCount(), 4u);
    EXPECT_EQ(m.cityLine(2), "Charlie");
    EXPECT_EQ(m.cityLine(3), "Delta");
    const auto stored = encodeLocationRecord(m.database()[2]);
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(), charlie.begin()));
    EXPECT_TRUE((m.shownCount() == 0));
    // One call before each record (round(offset * 100 / size)), then the end.
    EXPECT_EQ(percents, (std::vector<int>{0, 25, 50, 75, 100}));
    EXPECT_TRUE(started);
}

TEST_F(LocationsImport, TheEditorsOwnDatabaseAddsNothing) {
    const ImportReport r = import(dir.file("geovista.loc"));
    EXPECT_TRUE(r.imported);
    EXPECT_EQ(r.added, 0u);
    EXPECT_EQ(m.cityCount(), 2u);
}

TEST_F(LocationsImport, FilesThatAreNotWholeRecordsOrCannotBeReadFailUntouched) {
    test::writeBytes(dir.file("odd.loc"), std::vector<uint8_t>(53, 0x41));
    EXPECT_FALSE(import(dir.file("odd.loc")).imported);
    EXPECT_FALSE(import(dir.file("missing.loc")).imported);
    std::filesystem::create_directory(dir.file("folder.loc"));
    EXPECT_FALSE(import(dir.file("folder.loc")).imported);
    EXPECT_FALSE(started); // no progress window for a refused file
    EXPECT_TRUE(percents.empty());
    EXPECT_EQ(m.cityCount(), 2u);
}

TEST_F(LocationsImport, AnEmptyFileImportsNothing) {
    test::writeBytes(dir.file("empty.loc"), {});
    const ImportReport r = import(dir.file("empty.loc"));
    EXPECT_TRUE(r.imported);
    EXPECT_EQ(r.added, 0u);
}

TEST(LocationsFull, NeitherNewNorTheImportGrowsTheDatabasePastWhatIsReadWhole) {
    // 64 MiB of places (a sparse file: all but two of them nameless).
    test::TempDir dir;
    test::writeBytes(dir.file("geovista.loc"), database({"Alpha", "Bravo"}));
    std::filesystem::resize_file(dir.file("geovista.loc"), 64u << 20);
    LocationsModel m;
    m.load(dir.folder(), builtIn());
    ASSERT_EQ(m.cityCount(), kMaxPlaces);
    EXPECT_EQ(m.add(filled("Charlie")), AddResult::Full);
    EXPECT_EQ(m.add(filled("alpha")), AddResult::Existent) << "the name is checked first";

    test::writeBytes(dir.file("other.loc"), database({"Bravo", "Charlie", "Delta"}));
    const ImportReport r = m.importFile(dir.file("other.loc"), {}, {});
    EXPECT_TRUE(r.full);
    EXPECT_EQ(r.added, 0u);
    EXPECT_EQ(m.cityCount(), kMaxPlaces);

    // One place fewer: the import takes one, then says it is full.
    ASSERT_TRUE(m.remove(0));
    const ImportReport one = m.importFile(dir.file("other.loc"), {}, {});
    EXPECT_TRUE(one.full);
    EXPECT_EQ(one.added, 1u);
    EXPECT_EQ(m.cityLine(kMaxPlaces - 1), "Charlie");
    ASSERT_FALSE(m.save(dir.folder()).failed());
    EXPECT_EQ(std::filesystem::file_size(dir.file("geovista.loc")), kMaxPlaces * 52u);
}

TEST_F(LocationsImport, CancelKeepsWhatWasAdded) {
    std::vector<uint8_t> file;
    for (int i = 0; i < 10; ++i) {
        const auto r = recordBytes(("Place " + std::to_string(i)).c_str(), 1, 1, 1);
        file.insert(file.end(), r.begin(), r.end());
    }
    test::writeBytes(dir.file("ten.loc"), file);
    cancelAfter = 3;
    const ImportReport r = import(dir.file("ten.loc"));
    EXPECT_TRUE(r.imported);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.added, 3u);
    EXPECT_EQ(m.cityCount(), 5u);
    EXPECT_EQ(m.cityLine(4), "Place 2");
}

TEST(LocationsFactory, RestoreDeletesTheLocationFilesAndLoadsTheBuiltInList) {
    test::TempDir dir;
    test::writeBytes(dir.file("geovista.loc"), database({"A"}));
    test::writeBytes(dir.file("geovista.sel"), {0, 0, 0, 0});
    test::writeBytes(dir.file("geovista.cfg"), {1, 2, 3});
    LocationsModel m;
    m.load(dir.folder(), builtIn());
    ASSERT_EQ(m.cityCount(), 1u);
    m.restoreFactory(dir.folder(), builtIn());
    EXPECT_EQ(m.cityCount(), 1306u);
    EXPECT_TRUE((m.shownCount() == 0));
    EXPECT_FALSE(std::filesystem::exists(dir.file("geovista.loc")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("geovista.sel")));
    // The settings are not the places: only "Reset" forgets them.
    EXPECT_TRUE(std::filesystem::exists(dir.file("geovista.cfg")));
}

TEST(EntryText, BlanksAreCutFromBothEndsOnly) {
    EXPECT_EQ(trimmedBlanks(" 	 a b 	"), "a b");
    EXPECT_EQ(trimmedBlanks(" 	 "), "");
}

} // namespace
} // namespace gv::editor
