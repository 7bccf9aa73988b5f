#include "app/system_console.h"

#include <gtest/gtest.h>

namespace gv {
namespace {

struct RecordingSurface : ConsoleSurface {
    std::vector<std::string> calls;
    void clear(uint32_t c) override { calls.push_back("clear " + std::to_string(c)); }
    void drawPlainText(int x, int y, const std::string& t, uint32_t rgb) override {
        char buf[64];
        std::snprintf(buf, sizeof buf, "text %d %d %06X ", x, y, rgb);
        calls.push_back(buf + t);
    }
    void present() override { calls.push_back("present"); }
};

TEST(SystemConsole, SmallConsoleShowsOnlyTheNewestLine) {
    SystemConsole console;
    console.init({0, 0, 640, 45}, nullptr);
    EXPECT_EQ(console.visibleLines(), 2);
    for (int i = 0; i < 11; ++i) {
        console.print("line %d", i);
        ASSERT_EQ(console.shownLines(), std::vector<std::string>{"line " + std::to_string(i)});
    }
}

TEST(SystemConsole, RingScrollsAndReplaceLastRewritesTheNewest) {
    SystemConsole console;
    console.init({0, 0, 640, 5 + 14 * 4}, nullptr); // four visible lines, ring of eight
    for (int i = 0; i < 10; ++i)
        console.print("%d", i);
    EXPECT_EQ(console.shownLines(), (std::vector<std::string>{"7", "8", "9"}));
    console.replaceLast("nine");
    EXPECT_EQ(console.shownLines(), (std::vector<std::string>{"7", "8", "nine"}));
    console.hideAndEmpty();
    EXPECT_TRUE(console.shownLines().empty());
    EXPECT_FALSE(console.visible());
}

TEST(SystemConsole, VisibleConsoleDrawsEachPrintThenPresents) {
    RecordingSurface surface;
    SystemConsole console;
    console.init({10, 20, 640, 200}, &surface);
    console.print("hidden");
    EXPECT_TRUE(surface.calls.empty());
    console.setVisible(true);
    console.print("shown");
    EXPECT_EQ(surface.calls, (std::vector<std::string>{"text 10 20 FFFF80 hidden",
                                                       "text 10 34 FFFF80 shown", "present"}));
}

TEST(SystemConsole, TooSmallForALineStoresNothing) {
    SystemConsole console;
    console.init({0, 0, 100, 10}, nullptr);
    console.print("x");
    console.replaceLast("y");
    EXPECT_TRUE(console.shownLines().empty());
}

} // namespace
} // namespace gv
