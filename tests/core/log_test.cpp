#include "core/log.h"
#include "core/startup_step.h"
#include "support/captured_log.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

namespace gv {
namespace {

std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1))
        ++n;
    return n;
}

TEST(Log, EveryWriteCarriesOneStampAndTheHeaderHasItsForm) {
    test::TempDir dir;
    Log log(dir.file("a.log"));
    EXPECT_TRUE(log.write("Creating %s ", "x"));
    EXPECT_TRUE(log.write("[ PASSED ]\n"));
    EXPECT_TRUE(log.write("two\nlines\n"));
    const std::string text = test::readText(dir.file("a.log"));
    const std::regex header(
        R"(^\[\d\d:\d\d:\d\d\] \n\n------\[ LOG .*a\.log STARTED AT [A-Z][a-z]{2} [A-Z][a-z]{2} )"
        R"(\d\d \d\d:\d\d:\d\d \d{4} \]-{62}\n\n)");
    EXPECT_TRUE(std::regex_search(text, header)) << text;
    EXPECT_NE(text.find("] Creating x ["), std::string::npos);
    EXPECT_TRUE(std::regex_search(text, std::regex(R"(\[\d\d:\d\d:\d\d\] two\nlines\n$)")));
    EXPECT_EQ(count(text, "] "), 4u); // header, label, result, the two-line report
}

TEST(Log, ASecondRunKeepsOnlyItsOwnReports) {
    test::TempDir dir;
    {
        Log first(dir.file("g.log"));
        first.reset();
        first.write("first run\n");
    }
    Log second(dir.file("g.log")); // appends a header to the old content...
    second.reset();                // ...which the reset then discards
    second.write("second run\n");
    const std::string text = test::readText(dir.file("g.log"));
    EXPECT_EQ(text.find("first run"), std::string::npos);
    EXPECT_EQ(count(text, "STARTED AT"), 1u);
    EXPECT_NE(text.find("second run"), std::string::npos);
}

TEST(Log, PlacedBeforeItsFirstUseNothingGoesToTheDefaultFile) {
    // Each test runs in a process of its own under CTest, so the process-wide
    // log is not made yet: placing it must keep even its header away from
    // the current folder.
    test::TempDir dir;
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    placeLog(dir.file("elsewhere/placed.log"));
    std::filesystem::create_directory(dir.path() / "elsewhere");
    logWrite("to the placed file\n");
    std::filesystem::current_path(before);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / kLogFileName));
    EXPECT_NE(test::readText(dir.file("elsewhere/placed.log")).find("to the placed file"),
              std::string::npos);
}

TEST(Log, OverlongReportIsCutAndAnUnwritableFileIsQuiet) {
    test::TempDir dir;
    Log log(dir.file("l.log"));
    log.reset();
    const std::string huge(5000, 'z');
    EXPECT_TRUE(log.write("%s", huge.c_str()));
    const std::string text = test::readText(dir.file("l.log"));
    EXPECT_NE(text.find(std::string(kLogBufferSize - 1, 'z')), std::string::npos);
    EXPECT_EQ(text.find(std::string(kLogBufferSize, 'z')), std::string::npos);

    Log nowhere(dir.file("missing/folder/x.log"));
    EXPECT_FALSE(nowhere.write("lost\n"));
}

TEST(Log, FixedDateFormIsEnglishWithTwoDigitDay) {
    std::tm t{};
    t.tm_year = 126;
    t.tm_mon = 11;
    t.tm_mday = 8;
    t.tm_wday = 2;
    t.tm_hour = 4;
    t.tm_min = 28;
    t.tm_sec = 9;
    EXPECT_EQ(fixedDateText(t), "Tue Dec 08 04:28:09 2026");
}

TEST(StartupStep, LabelsAreFiftySevenCharacters) {
    EXPECT_EQ(stepLabel("Creating scene object"),
              "Creating scene object .................................. ");
    for (const char* words : {"Creating application window", "Creating 3D object",
                              "Creating scene illumination", "Shutting down the system"})
        EXPECT_EQ(stepLabel(words).size(), 57u) << words;
    EXPECT_EQ(stepLabel("Creating scene illumination").substr(27),
              std::string(" ") + std::string(28, '.') + " ");
}

TEST(StartupStep, TheLastLabelNamesTheStepUnderWay) {
    test::CapturedLog log;
    logStepLabel("Creating fonts");
    logWrite("[ FAILED: font ]\n");
    EXPECT_EQ(lastStepWords(), "Creating fonts");
    logStepLabel("Shutting down the system");
    EXPECT_EQ(lastStepWords(), "Shutting down the system");
    EXPECT_EQ(log.reports(),
              (std::vector<std::string>{
                  "Creating fonts ......................................... ", "[ FAILED: font ]\n",
                  "Shutting down the system ............................... "}));
}

} // namespace
} // namespace gv
