#include "app/preferences_file.h"
#include "formats/byte_io.h"
#include "formats/file_bytes.h"
#include "platform/atomic_file.h"
#include "support/captured_log.h"
#if !defined(_WIN32)
#include "support/kill_during_save.h"
#include "support/ordinary_user.h"
#endif
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

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
    ASSERT_EQ(savePreferences(dir.folder()).outcome, SaveOutcome::Written);
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
    ASSERT_EQ(savePreferences(dir.folder()).outcome, SaveOutcome::Written);
    const auto saved = test::readBytes(cfg());
    ASSERT_EQ(saved.size(), 1196u);
    EXPECT_EQ(readI32(&saved[0]), 7);
    EXPECT_EQ(readU32(&saved[0x4A4]), 1300u);

    resetPreferencesForRun();
    test::writeBytes(cfg(), std::vector<uint8_t>(5000, 0));
    ASSERT_TRUE(loadPreferences(dir.folder()));
    ASSERT_EQ(savePreferences(dir.folder()).outcome, SaveOutcome::Written);
    EXPECT_EQ(test::readBytes(cfg()), std::vector<uint8_t>(1196, 0));
}

TEST_F(PreferencesFile, NothingIsWrittenUnlessTheRecordWasLoaded) {
    test::writeBytes(cfg(), {1, 2, 3});
    const FileSave save = savePreferences(dir.folder());
    EXPECT_EQ(save.outcome, SaveOutcome::Kept);
    EXPECT_EQ(save.reason, "");
    EXPECT_EQ(test::readBytes(cfg()), (std::vector<uint8_t>{1, 2, 3}));
}

TEST_F(PreferencesFile, UnwritableFolderFailsWithoutHarmAndSaysWhy) {
    ASSERT_TRUE(loadPreferences(dir.folder() + "missing/"));
    const FileSave save = savePreferences(dir.folder() + "missing/");
    EXPECT_EQ(save.outcome, SaveOutcome::Failed);
    EXPECT_EQ(save.name, std::string("geovista.cfg"));
    EXPECT_FALSE(save.reason.empty());
}

TEST_F(PreferencesFile, AFileThatCannotBeReadIsLoggedRunsOnTheDefaultsAndIsNeverWritten) {
    std::filesystem::create_directory(cfg()); // there, but not readable as a file
    test::CapturedLog log;
    ASSERT_TRUE(loadPreferences(dir.folder()));
    EXPECT_TRUE(preferencesLoaded());
    EXPECT_EQ(prefs().screenModeIndex, 999) << "the defaults";
    const std::string reason = checkReadable(cfg()).reason;
    ASSERT_FALSE(reason.empty());
    EXPECT_EQ(log.reports(),
              std::vector<std::string>{"geovista.cfg cannot be read (" + reason +
                                       "): the default settings are used, and the file is left "
                                       "as it is\n"});
    prefs().optionsSelection = 9;
    const FileSave save = savePreferences(dir.folder());
    EXPECT_EQ(save.outcome, SaveOutcome::Kept);
    EXPECT_EQ(save.reason, "it could not be read (" + reason + ")");
    EXPECT_TRUE(std::filesystem::is_directory(cfg()));
}

#if !defined(_WIN32)
TEST_F(PreferencesFile, AFileThisUserMayNotReadKeepsItsBytesAndMode) {
    const std::vector<uint8_t> mine(1196, 0x11);
    test::writeBytes(cfg(), mine);
    std::filesystem::permissions(cfg(), std::filesystem::perms::none);
    test::giveToOrdinaryUser(dir.path().string());
    test::giveToOrdinaryUser(cfg());
    FileSave save;
    {
        test::OrdinaryUser user;
        ASSERT_TRUE(loadPreferences(dir.folder()));
        save = savePreferences(dir.folder());
    }
    EXPECT_EQ(save.outcome, SaveOutcome::Kept);
    EXPECT_EQ(save.reason, "it could not be read (Permission denied)");
    EXPECT_EQ(test::readBytes(cfg()), mine);
    EXPECT_EQ(std::filesystem::status(cfg()).permissions() & std::filesystem::perms::mask,
              std::filesystem::perms::none);
}
#endif

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
    ASSERT_EQ(savePreferences(dir.folder()).outcome, SaveOutcome::Written);
    EXPECT_EQ(readI32(test::readBytes(cfg()).data()), 3);
}
#endif

} // namespace
} // namespace gv
