#include "platform/saver_host.h"

#include <gtest/gtest.h>

#include <map>

namespace gv::platform {
namespace {

class FakeDisplay : public SaverHostDisplay {
  public:
    std::map<uint64_t, std::pair<int, int>> windows{{0x1E0, {1280, 720}}, // the root
                                                    {4200, {1280, 720}},
                                                    {0x2a00007, {320, 200}}};
    uint64_t rootWindow() override { return 0x1E0; }
    bool screenSize(int& w, int& h) override {
        w = 1280;
        h = 720;
        return true;
    }
    bool windowSize(uint64_t window, int& w, int& h) override {
        auto it = windows.find(window);
        if (it == windows.end()) return false;
        w = it->second.first;
        h = it->second.second;
        return true;
    }
};

SaverLaunch launch(std::vector<std::string> args, const char* env = nullptr) {
    FakeDisplay display;
    return interpretSaverArguments(args, env, display);
}

TEST(WindowId, DecimalOrHexadecimalAndNothingElse) {
    EXPECT_EQ(parseWindowId("4200"), 4200u);
    EXPECT_EQ(parseWindowId("0x2a00007"), 0x2a00007u);
    EXPECT_EQ(parseWindowId("0X2A00007"), 0x2a00007u);
    EXPECT_EQ(parseWindowId("0"), 0u);
    EXPECT_FALSE(parseWindowId(""));
    EXPECT_FALSE(parseWindowId("0x"));
    EXPECT_FALSE(parseWindowId("12ab"));
    EXPECT_FALSE(parseWindowId("-5"));
    EXPECT_FALSE(parseWindowId("0x1ffffffffffffffff")) << "overflow";
}

TEST(SaverWindow, ScreenSizedIsTheSaverAndSmallerThePreviewWithItsNumber) {
    EXPECT_EQ(saverCommandLine(1280, 720, 1280, 720, 99), "/s");
    EXPECT_EQ(saverCommandLine(152, 112, 1280, 720, 4660), "/p 4660");
    EXPECT_EQ(saverCommandLine(1280, 719, 1280, 720, 7), "/p 7");
}

TEST(SaverArguments, NoneIsTheApplicationAndTheWindowsLettersPassThrough) {
    EXPECT_EQ(launch({}).commandLine, "");
    EXPECT_EQ(launch({"/s"}).commandLine, "/s");
    EXPECT_EQ(launch({"/p", "1234"}).commandLine, "/p 1234");
    EXPECT_EQ(launch({"/c"}).commandLine, "/c");
    EXPECT_EQ(launch({"/s"}).saverWindow, 0u) << "our own full-screen window";
    // Options that only other programs know leave an application run.
    EXPECT_EQ(launch({"-fps"}).commandLine, "");
}

TEST(SaverArguments, RootDrawsIntoTheHostsWindowOrTheRootAsTheFullScreenSaver) {
    SaverLaunch l = launch({"-root"}, "4200");
    EXPECT_EQ(l.commandLine, "/s");
    EXPECT_EQ(l.saverWindow, 4200u);
    l = launch({"-root"});
    EXPECT_EQ(l.commandLine, "/s");
    EXPECT_EQ(l.saverWindow, 0x1E0u);
    // An unusable variable falls back to the root window.
    EXPECT_EQ(launch({"-root"}, "junk").saverWindow, 0x1E0u);
    EXPECT_EQ(launch({"-root"}, "").saverWindow, 0x1E0u);
    // A smaller window named by the host is a preview.
    EXPECT_EQ(launch({"-root"}, "0x2a00007").commandLine, "/p 44040199");
}

TEST(SaverArguments, WindowIdIsPreviewWhenSmallerAndSaverWhenScreenSized) {
    EXPECT_EQ(launch({"-window-id", "0x2a00007"}).commandLine, "/p 44040199");
    SaverLaunch l = launch({"--window-id", "4200", "-fps"});
    EXPECT_EQ(l.commandLine, "/s");
    EXPECT_EQ(l.saverWindow, 4200u);
    EXPECT_FALSE(launch({"-window-id"}).error.empty());
    EXPECT_FALSE(launch({"-window-id", "window"}).error.empty());
    EXPECT_FALSE(launch({"-window-id", "777"}).error.empty()) << "no such window";
}

// Windows' settings dialog and Explorer, as they start a saver file.
SaverLaunch windowsLaunch(std::vector<std::string> args) {
    return interpretWindowsSaverArguments(args);
}

TEST(WindowsSaverArguments, EverySpellingOfTheLettersBecomesTheDriversOwn) {
    for (const char* saver : {"/s", "/S", "-s", "s", "-S", "/sz"})
        EXPECT_EQ(windowsLaunch({saver}).commandLine, "/s") << saver;
    for (const char* configure : {"/c", "/C", "-c", "/c:4660", "/C:4660"})
        EXPECT_EQ(windowsLaunch({configure}).commandLine, "/c") << configure;
    EXPECT_EQ(windowsLaunch({"/p", "4660"}).commandLine, "/p 4660");
    EXPECT_EQ(windowsLaunch({"/P", "4660"}).commandLine, "/p 4660");
    EXPECT_EQ(windowsLaunch({"/p:4660"}).commandLine, "/p 4660");
    EXPECT_EQ(windowsLaunch({"-l", "4660"}).commandLine, "/p 4660");
    EXPECT_EQ(windowsLaunch({"/p", "4660", "junk"}).commandLine, "/p 4660");
    // 64-bit window handles pass whole.
    EXPECT_EQ(windowsLaunch({"/p", "8589934593"}).commandLine, "/p 8589934593");
    for (const auto& launch : {windowsLaunch({"/s"}), windowsLaunch({"/p", "1"})}) {
        EXPECT_TRUE(launch.error.empty());
        EXPECT_EQ(launch.saverWindow, 0u) << "on Windows the saver's window is always its own";
    }
}

TEST(WindowsSaverArguments, NothingOrAnUnknownLetterIsTheApplication) {
    EXPECT_EQ(windowsLaunch({}).commandLine, "");
    EXPECT_EQ(windowsLaunch({""}).commandLine, "");
    EXPECT_EQ(windowsLaunch({"/", "-"}).commandLine, "");
    EXPECT_EQ(windowsLaunch({"/x"}).commandLine, "");
    EXPECT_TRUE(windowsLaunch({"/x"}).error.empty());
}

TEST(WindowsSaverArguments, APreviewWithoutAUsableWindowAndThePasswordChangeAreRefused) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"/p"},
                                                 {"/p", "window"},
                                                 {"/p", "0"},
                                                 {"/p:"},
                                                 {"/p", "-5"},
                                                 {"/p", "99999999999999999999999"},
                                                 {"/a"},
                                                 {"/A", "4660"}}) {
        const SaverLaunch launch = windowsLaunch(args);
        EXPECT_FALSE(launch.error.empty()) << args[0];
        EXPECT_EQ(launch.commandLine, "") << args[0];
    }
}

} // namespace
} // namespace gv::platform
