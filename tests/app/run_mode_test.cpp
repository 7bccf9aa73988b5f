#include "app/run_mode.h"

#include <gtest/gtest.h>

namespace gv {
namespace {

TEST(RunMode, CommandLineLettersPickTheMode) {
    const std::string saver = "/usr/lib/geovista/Geovista";
    EXPECT_EQ(parseRunMode(saver, "").mode, RunMode::Application);
    EXPECT_EQ(parseRunMode(saver, "/s").mode, RunMode::ScreenSaver);
    EXPECT_EQ(parseRunMode(saver, "/c").mode, RunMode::Configure);
    EXPECT_EQ(parseRunMode(saver, "/c:1234").mode, RunMode::Configure);
    EXPECT_EQ(parseRunMode(saver, "/S").mode, RunMode::Application); // case matters
    EXPECT_EQ(parseRunMode(saver, "-s").mode, RunMode::Application);
    EXPECT_EQ(parseRunMode(saver, "/x").mode, RunMode::Application);

    const RunModeChoice preview = parseRunMode(saver, "/p 4194307");
    EXPECT_EQ(preview.mode, RunMode::Preview);
    EXPECT_EQ(preview.previewParent, 4194307u);
    EXPECT_EQ(parseRunMode(saver, "/p").previewParent, 0u);
    EXPECT_EQ(parseRunMode(saver, "/p 12ab").previewParent, 12u);
}

TEST(RunMode, AnOrdinaryExecutableIsAlwaysAnApplication) {
    EXPECT_TRUE(isOrdinaryExecutable("C:\\Geovista\\Geovista.exe"));
    EXPECT_TRUE(isOrdinaryExecutable("GEOVISTA.EXE"));
    EXPECT_FALSE(isOrdinaryExecutable("Geovista.Exe"));
    EXPECT_FALSE(isOrdinaryExecutable("Geovista.scr"));
    EXPECT_FALSE(isOrdinaryExecutable("ex"));
    EXPECT_EQ(parseRunMode("C:\\Geovista\\Geovista.exe", "/s").mode, RunMode::Application);
    EXPECT_EQ(parseRunMode("C:\\Geovista\\Geovista.scr", "/s").mode, RunMode::ScreenSaver);
}

TEST(RunMode, ProgramFolderAlwaysEndsWithTheSeparator) {
    const std::string app = "/opt/data";
    const std::string withSlash = "/opt/data/";
    const std::string empty;
    EXPECT_EQ(programFolderFrom(&app, "/usr/bin/Geovista", '/'), "/opt/data/");
    EXPECT_EQ(programFolderFrom(&withSlash, "/usr/bin/Geovista", '/'), "/opt/data/");
    EXPECT_EQ(programFolderFrom(&empty, "/usr/bin/Geovista", '/'), "/usr/bin/");
    EXPECT_EQ(programFolderFrom(nullptr, "/usr/bin/Geovista", '/'), "/usr/bin/");
    EXPECT_EQ(programFolderFrom(nullptr, "C:\\Geo\\Geovista.scr", '\\'), "C:\\Geo\\");
    EXPECT_EQ(programFolderFrom(nullptr, "Geovista", '/'), "./");
}

TEST(InstanceRule, TheSaverRunsAloneUnlessTheHostStartsOneCopyPerScreen) {
    // Windows starts one saver for all its monitors: a second one is a
    // second start, and ends.
    EXPECT_EQ(instanceRuleFor(RunMode::ScreenSaver, false), InstanceRule::Alone);
    // XScreenSaver starts one per X screen: each runs.
    EXPECT_EQ(instanceRuleFor(RunMode::ScreenSaver, true), InstanceRule::IfFree);
    for (bool perScreen : {false, true}) {
        EXPECT_EQ(instanceRuleFor(RunMode::Application, perScreen), InstanceRule::Alone);
        EXPECT_EQ(instanceRuleFor(RunMode::Configure, perScreen), InstanceRule::Alone);
        EXPECT_EQ(instanceRuleFor(RunMode::Preview, perScreen), InstanceRule::None);
    }
}

TEST(SaverSpan, OneViewAcrossEveryScreenOnlyForTheSaverOnADesktopLargerThanOneScreen) {
    const platform::Rect primary{0, 0, 1920, 1080};
    // A second screen to the right, one to the left (negative coordinates),
    // one below and smaller.
    const platform::Rect right{0, 0, 3840, 1080};
    const platform::Rect left{-1280, 0, 1920, 1080};
    const platform::Rect below{0, 0, 1920, 1848};
    for (const platform::Rect& desktop : {right, left, below})
        EXPECT_TRUE(saverSpansScreens(RunMode::ScreenSaver, primary, desktop));
    EXPECT_FALSE(saverSpansScreens(RunMode::ScreenSaver, primary, primary)) << "one screen";
    for (RunMode mode : {RunMode::Application, RunMode::Preview, RunMode::Configure})
        EXPECT_FALSE(saverSpansScreens(mode, primary, right));
}

} // namespace
} // namespace gv
