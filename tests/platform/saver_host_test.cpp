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

} // namespace
} // namespace gv::platform
