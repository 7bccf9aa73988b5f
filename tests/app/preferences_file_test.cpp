#include "app/preferences_file.h"
#include "formats/byte_io.h"
#include "platform/atomic_file.h"
#if !defined(_WIN32)
#include "support/kill_during_save.h"
#endif
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace gv {
namespace {

class PreferencesFile : public ::testing::Test {
  protected:
    void SetUp() override { resetPreferencesForRun(); }
    void TearDown() override { resetPreferencesForRun(); }
    test::TempDir dir;
    std::string cfg() const { return dir.file("geovista.cfg"); }
};

TEST_F(PreferencesFile, FirstRunWritesTheWholeRecord) {
    ASSERT_TRUE(loadPreferences(dir.folder()));
    EXPECT_TRUE(preferencesLoaded());
    EXPECT_EQ(prefs().screenModeIndex, 999);
    ASSERT_TRUE(savePreferences(dir.folder()));
    EXPECT_EQ(test::readBytes(cfg()).size(), 1196u);
}

TEST_F(PreferencesFile, ShortAndLongFilesAreRewrittenAsOneRecord) {
    test::writeBytes(cfg(), {7, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0});
    ASSERT_TRUE(loadPreferences(dir.folder()));
    EXPECT_EQ(prefs().optionsSelection, 7);
    EXPECT_EQ(prefs().fullScreen, 0);
    EXPECT_EQ(prefs().deviceIndex, 1);
    EXPECT_EQ(prefs().screenModeIndex, 0);
    EXPECT_EQ(prefs().cameras[1].distance, 650); // default kept
    ASSERT_TRUE(savePreferences(dir.folder()));
    const auto saved = test::readBytes(cfg());
    ASSERT_EQ(saved.size(), 1196u);
    EXPECT_EQ(readI32(&saved[0]), 7);
    EXPECT_EQ(readU32(&saved[0x4A4]), 1300u);

    resetPreferencesForRun();
    test::writeBytes(cfg(), std::vector<uint8_t>(5000, 0));
    ASSERT_TRUE(loadPreferences(dir.folder()));
    ASSERT_TRUE(savePreferences(dir.folder()));
    EXPECT_EQ(test::readBytes(cfg()), std::vector<uint8_t>(1196, 0));
}

TEST_F(PreferencesFile, NothingIsWrittenUnlessTheRecordWasLoaded) {
    test::writeBytes(cfg(), {1, 2, 3});
    EXPECT_TRUE(savePreferences(dir.folder()));
    EXPECT_EQ(test::readBytes(cfg()), (std::vector<uint8_t>{1, 2, 3}));
}

TEST_F(PreferencesFile, UnwritableFolderFailsWithoutHarm) {
    ASSERT_TRUE(loadPreferences(dir.folder() + "missing/"));
    EXPECT_FALSE(savePreferences(dir.folder() + "missing/"));
}

#if !defined(_WIN32)
TEST_F(PreferencesFile, KilledInTheMiddleOfASaveLeavesTheOldFile) {
    std::vector<uint8_t> old(1196, 0x5A);
    test::writeBytes(cfg(), old);
    ASSERT_TRUE(test::killInsideSave([&] {
        resetPreferencesForRun();
        loadPreferences(dir.folder());
        prefs().optionsSelection = 12345;
        savePreferences(dir.folder());
    }));
    EXPECT_EQ(test::readBytes(cfg()), old);

    // The next save, not interrupted, replaces it.
    ASSERT_TRUE(loadPreferences(dir.folder()));
    prefs().optionsSelection = 3;
    ASSERT_TRUE(savePreferences(dir.folder()));
    EXPECT_EQ(readI32(test::readBytes(cfg()).data()), 3);
}
#endif

} // namespace
} // namespace gv
