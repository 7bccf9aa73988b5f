#include "editor/settings_model.h"
#include "formats/byte_io.h"

#include <gtest/gtest.h>

#include <vector>

namespace gv::editor {
namespace {

int32_t i32At(const SettingsModel& m, std::size_t off) {
    return readI32(&m.bytes()[off]);
}
uint32_t u32At(const SettingsModel& m, std::size_t off) {
    return readU32(&m.bytes()[off]);
}
float f32At(const SettingsModel& m, std::size_t off) {
    return readF32(&m.bytes()[off]);
}
void putI32(SettingsModel& m, std::size_t off, int32_t v) {
    std::vector<uint8_t> bytes(m.bytes().begin(), m.bytes().end());
    writeI32(&bytes[off], v);
    m.overlayFile(bytes);
}
void putF32(SettingsModel& m, std::size_t off, float v) {
    std::vector<uint8_t> bytes(m.bytes().begin(), m.bytes().end());
    writeF32(&bytes[off], v);
    m.overlayFile(bytes);
}

TEST(FactoryRecord, HoldsTheTableDefaultsWithCheckedBoxesAsMinusOne) {
    const SettingsModel m;
    ASSERT_EQ(m.bytes().size(), 1196u);
    EXPECT_EQ(i32At(m, 0), 0);
    EXPECT_EQ(i32At(m, 4), -1); // Fullscreen
    EXPECT_EQ(readU16(&m.bytes()[8]), 0);
    EXPECT_EQ(readU16(&m.bytes()[10]), 999);
    EXPECT_EQ(i32At(m, 12), 0);  // Flip
    EXPECT_EQ(i32At(m, 16), -1); // Filter
    EXPECT_STREQ(reinterpret_cast<const char*>(&m.bytes()[20 + 4]), "Orbit 1");
    EXPECT_STREQ(reinterpret_cast<const char*>(&m.bytes()[20 + 48 * 5 + 4]), "Moon view");
    EXPECT_STREQ(reinterpret_cast<const char*>(&m.bytes()[20 + 48 * 7 + 4]), "Loc view*");
    const int32_t distances[8] = {560, 650, 400, 400, 500, 500, 500, 500};
    const float speeds[8] = {0.0002f, -0.0004f, 0.0002f, -0.0004f, 0, 0, 0, 0};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(u32At(m, 20 + 48 * std::size_t(i)), 0u) << i;
        EXPECT_EQ(i32At(m, 20 + 48 * std::size_t(i) + 36), distances[i]) << i;
        EXPECT_FLOAT_EQ(f32At(m, 20 + 48 * std::size_t(i) + 40), speeds[i]) << i;
        EXPECT_EQ(f32At(m, 20 + 48 * std::size_t(i) + 44), 0.0f) << i;
    }
    EXPECT_EQ(i32At(m, 404), 0);
    EXPECT_FLOAT_EQ(f32At(m, 408), 0.97f);
    EXPECT_EQ(i32At(m, 412), -1);
    EXPECT_EQ(i32At(m, 416), 0);
    EXPECT_EQ(i32At(m, 420), 0);
    EXPECT_EQ(i32At(m, 424), 1); // "Automatic" is an item index, not a box
    EXPECT_EQ(u32At(m, 428), 20000u);
    EXPECT_EQ(i32At(m, 432), 1);
    EXPECT_EQ(i32At(m, 436), -1);
    EXPECT_EQ(i32At(m, 440), 0);
    EXPECT_EQ(i32At(m, 444), 0);
    EXPECT_EQ(i32At(m, 448), 3);
    EXPECT_EQ(i32At(m, 452), 3);
    EXPECT_EQ(i32At(m, 456), 3);
    EXPECT_EQ(i32At(m, 460), -1);
    EXPECT_EQ(i32At(m, 464), 2);
    EXPECT_EQ(i32At(m, 468), -1);
    EXPECT_EQ(i32At(m, 472), -1);
    EXPECT_EQ(u32At(m, 476), 10000u);
    EXPECT_EQ(i32At(m, 480), -1);
    EXPECT_EQ(i32At(m, 484), -1);
    EXPECT_EQ(u32At(m, 488), 0u);
    EXPECT_EQ(i32At(m, 492), 3);
    EXPECT_EQ(i32At(m, 496), -1);
    EXPECT_EQ(i32At(m, 500), -1);
    EXPECT_EQ(i32At(m, 504), 0);
    EXPECT_STREQ(reinterpret_cast<const char*>(&m.bytes()[768]),
                 "/cgi-bin/uncgi/Earth/action?opt=-p&img=wx-cmap.bmp&daynight=-d");
    EXPECT_EQ(u32At(m, 1028), 7200u);
    EXPECT_EQ(u32At(m, 1032), 4872547u);
    EXPECT_EQ(u32At(m, 1032 + 4 * 7), 8685196u);
    EXPECT_EQ(u32At(m, 1032 + 4 * 19), 16777215u);
    for (std::size_t off = 1112; off < 1148; ++off)
        EXPECT_EQ(m.bytes()[off], 0) << off;
    EXPECT_EQ(i32At(m, 1148), 8);
    EXPECT_EQ(i32At(m, 1152), 4);
    EXPECT_EQ(u32At(m, 1156), 2500u);
    EXPECT_EQ(i32At(m, 1160), 9);
    EXPECT_EQ(i32At(m, 1164), -1);
    EXPECT_EQ(i32At(m, 1168), 0);
    EXPECT_EQ(i32At(m, 1172), 0);
    EXPECT_EQ(i32At(m, 1176), 0);
    EXPECT_EQ(u32At(m, 1180), 0u);
    EXPECT_EQ(i32At(m, 1184), 5);
    EXPECT_EQ(u32At(m, 1188), 1300u);
    EXPECT_EQ(readU16(&m.bytes()[1192]), 1);
    // Night lights, true seasons, atmosphere and the labels' declutter on.
    EXPECT_EQ(readU16(&m.bytes()[1194]), 15);
}

TEST(FactoryRecord, ShowsTheControlsAsTheTableSays) {
    const SettingsModel m;
    EXPECT_EQ(m.position(Setting::FieldOfView), 40);
    EXPECT_EQ(m.position(Setting::ChangeSeconds), 20);
    EXPECT_EQ(m.position(Setting::MoonSeconds), 10);
    EXPECT_EQ(m.position(Setting::CloudHours), 2);
    EXPECT_EQ(m.position(Setting::MessageMs), 2500);
    EXPECT_EQ(m.position(Setting::LensFlareSize), 1); // 2 is "Small", item 1
    EXPECT_EQ(m.position(Setting::SunSize), 3);
    EXPECT_EQ(m.position(Setting::EarthDistance), 100);
    EXPECT_EQ(m.position(Setting::AmbientLight), 5);
    EXPECT_EQ(m.position(Setting::ClockSize), 1);
    EXPECT_EQ(m.position(Setting::ChangingMode), 1);
    EXPECT_EQ(m.position(Setting::SelectedCamera), 0);
    // Orbit 1: speed 0.0002 -> round(0.0022 * 25000) = 55; distance 560 ->
    // round(340 / 780 * 100) = 44.
    EXPECT_EQ(m.position(Setting::CameraSpeed), 55);
    EXPECT_EQ(m.position(Setting::CameraDistance), 44);
}

TEST(SettingRows, FlagsWriteMinusOneAndReadAnyNonZeroAsChecked) {
    const Setting flags[] = {Setting::FullScreen,
                             Setting::Flip,
                             Setting::Filter,
                             Setting::FollowsEarth,
                             Setting::EarthGlows,
                             Setting::LensFlares,
                             Setting::Overbrights,
                             Setting::MoonShown,
                             Setting::Stars,
                             Setting::SunShown,
                             Setting::ShowClouds,
                             Setting::CloudsOnLocations,
                             Setting::CloudsFromSatellites,
                             Setting::ShowApproxTime,
                             Setting::Performance};
    const std::size_t offsets[] = {4,   12,  16,  412, 436, 460,  468, 472,
                                   480, 484, 496, 500, 504, 1164, 1172};
    for (std::size_t i = 0; i < std::size(flags); ++i) {
        SettingsModel m;
        EXPECT_EQ(rowOf(flags[i]).offset, offsets[i]);
        m.setPosition(flags[i], 1);
        EXPECT_EQ(i32At(m, offsets[i]), -1) << offsets[i];
        m.setPosition(flags[i], 0);
        EXPECT_EQ(i32At(m, offsets[i]), 0) << offsets[i];
        EXPECT_EQ(m.position(flags[i]), 0);
        putI32(m, offsets[i], 1); // as the globe writes it
        EXPECT_EQ(m.position(flags[i]), 1);
        putI32(m, offsets[i], 0x100);
        EXPECT_EQ(m.position(flags[i]), 1);
    }
}

struct ListCase {
    Setting setting;
    std::size_t offset;
    int position;
    int32_t stored;
};

TEST(SettingRows, TheEarthOptionBoxesEachTurnTheirOwnBit) {
    SettingsModel m;
    // A file from before the options: all three unchecked.
    std::vector<uint8_t> old(m.bytes().begin(), m.bytes().end());
    old[1194] = 0x08; // bit 3 belongs to the labels, and must survive
    old[1195] = 0x10;
    m.overlayFile(old);
    EXPECT_EQ(m.position(Setting::NightLights), 0);
    EXPECT_EQ(m.position(Setting::TrueSeasons), 0);
    EXPECT_EQ(m.position(Setting::Atmosphere), 0);

    m.setPosition(Setting::TrueSeasons, 1);
    EXPECT_EQ(readU16(&m.bytes()[1194]), 0x1000 | 0x08 | 0x02);
    EXPECT_EQ(m.position(Setting::TrueSeasons), 1);
    EXPECT_EQ(m.position(Setting::NightLights), 0);
    m.setPosition(Setting::NightLights, 1);
    m.setPosition(Setting::Atmosphere, 1);
    EXPECT_EQ(readU16(&m.bytes()[1194]), 0x1000 | 0x08 | 0x07);
    m.setPosition(Setting::NightLights, 0);
    EXPECT_EQ(readU16(&m.bytes()[1194]), 0x1000 | 0x08 | 0x06);
    EXPECT_EQ(m.position(Setting::NightLights), 0);
    EXPECT_EQ(m.position(Setting::Atmosphere), 1);
    // The clock size in front of them is untouched.
    EXPECT_EQ(readU16(&m.bytes()[1192]), 1);

    // "Defaults" brings all three back on.
    m.setFactoryDefaults();
    EXPECT_EQ(m.position(Setting::NightLights), 1);
    EXPECT_EQ(m.position(Setting::TrueSeasons), 1);
    EXPECT_EQ(m.position(Setting::Atmosphere), 1);
}

TEST(SettingRows, TheDeclutterBoxIsBitThreeAndOffInAnOlderFile) {
    SettingsModel m;
    EXPECT_EQ(m.position(Setting::LabelsDeclutter), 1) << "on in a fresh record";
    std::vector<uint8_t> old(m.bytes().begin(), m.bytes().end());
    old[1194] = 0x05; // night lights and atmosphere, from before the labels' bit
    old[1195] = 0x00;
    m.overlayFile(old);
    EXPECT_EQ(m.position(Setting::LabelsDeclutter), 0);
    m.setPosition(Setting::LabelsDeclutter, 1);
    EXPECT_EQ(readU16(&m.bytes()[1194]), 0x0D);
    EXPECT_EQ(m.position(Setting::NightLights), 1);
    m.setPosition(Setting::LabelsDeclutter, 0);
    EXPECT_EQ(readU16(&m.bytes()[1194]), 0x05);
}

TEST(SettingRows, ListsStoreTheirItemIndexOrItsMapping) {
    const ListCase cases[] = {
        {Setting::SelectedCamera, 404, 6, 6},
        {Setting::ChangingMode, 424, 0, 0},
        {Setting::Smoothness, 432, 4, 4},
        {Setting::EarthResolution, 448, 6, 6},
        {Setting::LocationsResolution, 452, 0, 0},
        {Setting::OtherResolution, 456, 5, 5},
        {Setting::LensFlareSize, 464, 0, 1},
        {Setting::LensFlareSize, 464, 4, 5},
        {Setting::SunMode, 488, 1, 1},
        {Setting::SunSize, 492, 5, 5},
        {Setting::ScreenSaverMode, 1176, 1, 1},
    };
    for (const ListCase& c : cases) {
        SettingsModel m;
        m.setPosition(c.setting, c.position);
        EXPECT_EQ(i32At(m, c.offset), c.stored) << c.offset;
        EXPECT_EQ(m.position(c.setting), c.position) << c.offset;
    }
}

TEST(SettingRows, ListValuesTheyCannotShowSelectNothingAndStayStored) {
    SettingsModel m;
    putI32(m, 432, 9);
    EXPECT_EQ(m.position(Setting::Smoothness), -1);
    putI32(m, 464, 0); // lens flare size 0 is no item
    EXPECT_EQ(m.position(Setting::LensFlareSize), -1);
    putI32(m, 492, 6);
    EXPECT_EQ(m.position(Setting::SunSize), -1);
    putI32(m, 404, 7); // the locations view has no entry
    EXPECT_EQ(m.position(Setting::SelectedCamera), -1);
    EXPECT_EQ(i32At(m, 432), 9);
    EXPECT_EQ(i32At(m, 404), 7);
    // The globe reads these two as on/off and the sun mode as "mesh only for 1".
    putI32(m, 424, -1);
    EXPECT_EQ(m.position(Setting::ChangingMode), 1);
    putI32(m, 1176, 5);
    EXPECT_EQ(m.position(Setting::ScreenSaverMode), 1);
    putI32(m, 488, 2);
    EXPECT_EQ(m.position(Setting::SunMode), 0);
}

TEST(SettingRows, FieldOfViewBarMapsToRadians) {
    SettingsModel m;
    m.setPosition(Setting::FieldOfView, 40);
    EXPECT_EQ(f32At(m, 408), 0.97f);
    m.setPosition(Setting::FieldOfView, 0);
    EXPECT_EQ(f32At(m, 408), 0.57f);
    m.setPosition(Setting::FieldOfView, 100);
    EXPECT_EQ(f32At(m, 408), 1.57f);
    putF32(m, 408, 1.2f); // round(63.0) = 63
    EXPECT_EQ(m.position(Setting::FieldOfView), 63);
    putF32(m, 408, 5.0f); // far past the bar: shown at its end, kept as stored
    EXPECT_EQ(m.position(Setting::FieldOfView), 100);
    EXPECT_EQ(f32At(m, 408), 5.0f);
    putF32(m, 408, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(m.position(Setting::FieldOfView), 0);
}

TEST(SettingRows, TrackBarsMapAsTheirFormulasSay) {
    SettingsModel m;
    m.setPosition(Setting::TimeAdvancing, 1);
    EXPECT_EQ(u32At(m, 1180), 600u);
    m.setPosition(Setting::TimeAdvancing, 100);
    EXPECT_EQ(u32At(m, 1180), 60000u);
    putI32(m, 1180, 900); // 1.5 rounds up
    EXPECT_EQ(m.position(Setting::TimeAdvancing), 2);
    putI32(m, 1180, 60); // the globe's own top: less than one step
    EXPECT_EQ(m.position(Setting::TimeAdvancing), 0);

    m.setPosition(Setting::EarthDistance, 0);
    EXPECT_EQ(u32At(m, 1188), 300u);
    m.setPosition(Setting::EarthDistance, 37);
    EXPECT_EQ(u32At(m, 1188), 670u);
    putI32(m, 1188, 305);
    EXPECT_EQ(m.position(Setting::EarthDistance), 1);

    m.setPosition(Setting::AmbientLight, 55);
    EXPECT_EQ(i32At(m, 1184), 55);
    m.setPosition(Setting::Specularity, 100);
    EXPECT_EQ(i32At(m, 440), 100);
    m.setPosition(Setting::SpecularPower, 25);
    EXPECT_EQ(i32At(m, 444), 25);
    putI32(m, 444, 30);
    EXPECT_EQ(m.position(Setting::SpecularPower), 25);
    putI32(m, 1184, -4);
    EXPECT_EQ(m.position(Setting::AmbientLight), 0);

    // The clock size is 16 bits: the two reserved bytes after it stay.
    std::vector<uint8_t> bytes(m.bytes().begin(), m.bytes().end());
    bytes[1194] = 0xAB;
    bytes[1195] = 0xCD;
    m.overlayFile(bytes);
    m.setPosition(Setting::ClockSize, 5);
    EXPECT_EQ(readU16(&m.bytes()[1192]), 5);
    EXPECT_EQ(m.bytes()[1194], 0xAB);
    EXPECT_EQ(m.bytes()[1195], 0xCD);
}

TEST(SettingRows, CameraBarsEditTheSelectedCamera) {
    SettingsModel m;
    m.setPosition(Setting::SelectedCamera, 1);          // "Orbit 2": speed -0.0004, distance 650
    EXPECT_EQ(m.position(Setting::CameraSpeed), 40);    // round(0.0016 * 25000)
    EXPECT_EQ(m.position(Setting::CameraDistance), 55); // round(430 / 780 * 100) = round(55.13)
    m.setPosition(Setting::CameraSpeed, 100);
    EXPECT_FLOAT_EQ(f32At(m, 20 + 48 + 40), 0.002f);
    m.setPosition(Setting::CameraSpeed, 0);
    EXPECT_FLOAT_EQ(f32At(m, 20 + 48 + 40), -0.002f);
    m.setPosition(Setting::CameraSpeed, 50);
    EXPECT_NEAR(f32At(m, 20 + 48 + 40), 0.0f, 1e-9f);
    m.setPosition(Setting::CameraDistance, 33); // round(257.4) + 220
    EXPECT_EQ(i32At(m, 20 + 48 + 36), 477);
    m.setPosition(Setting::CameraDistance, 100);
    EXPECT_EQ(i32At(m, 20 + 48 + 36), 1000);
    m.setPosition(Setting::CameraDistance, 0);
    EXPECT_EQ(i32At(m, 20 + 48 + 36), 220);
    // Orbit 1 untouched.
    EXPECT_EQ(i32At(m, 20 + 36), 560);

    // Another camera reloads the bars from its own record: "Orbit 3", 0.0002 and 400.
    m.setPosition(Setting::SelectedCamera, 2);
    EXPECT_EQ(m.position(Setting::CameraSpeed), 55);
    EXPECT_EQ(m.position(Setting::CameraDistance), 23); // round(180 / 7.8)
    m.setPosition(Setting::SelectedCamera, 6);
    EXPECT_EQ(i32At(m, 20 + 48 * 6 + 36), 500);
    m.setPosition(Setting::CameraDistance, 10);
    EXPECT_EQ(i32At(m, 20 + 48 * 6 + 36), 298); // round(78) + 220
}

TEST(SettingRows, LocationsViewCameraIsNeverEditedByTheBars) {
    SettingsModel m;
    putI32(m, 404, 7);
    EXPECT_EQ(m.selectedCamera(), -1);
    const auto before = m.bytes();
    m.setPosition(Setting::CameraSpeed, 90);
    m.setPosition(Setting::CameraDistance, 90);
    EXPECT_EQ(m.bytes(), before);
    EXPECT_FALSE(m.followsEarthEnabled());
}

TEST(SettingRows, FollowsEarthIsEnabledOnlyForTheUserCamera) {
    SettingsModel m;
    for (int camera = 0; camera < 7; ++camera) {
        m.setPosition(Setting::SelectedCamera, camera);
        EXPECT_EQ(m.followsEarthEnabled(), camera == 6) << camera;
    }
}

TEST(NumberBoxes, DigitsOnlyWithinTheirLengthAndEmptyLeavesTheField) {
    SettingsModel m;
    EXPECT_TRUE(m.setNumberText(Setting::CloudHours, "3"));
    EXPECT_EQ(u32At(m, 1028), 10800u);
    putI32(m, 1028, 5400);
    EXPECT_EQ(m.position(Setting::CloudHours), 2);
    EXPECT_FALSE(m.setNumberText(Setting::CloudHours, ""));
    EXPECT_FALSE(m.setNumberText(Setting::CloudHours, "100")); // two digits
    EXPECT_FALSE(m.setNumberText(Setting::CloudHours, "0"));   // never a zero interval
    EXPECT_EQ(u32At(m, 1028), 5400u);

    EXPECT_TRUE(m.setNumberText(Setting::ChangeSeconds, "9999"));
    EXPECT_EQ(u32At(m, 428), 9999000u);
    EXPECT_FALSE(m.setNumberText(Setting::ChangeSeconds, "0")); // 1 to 9999 seconds
    EXPECT_FALSE(m.setNumberText(Setting::ChangeSeconds, "12a"));
    EXPECT_FALSE(m.setNumberText(Setting::ChangeSeconds, "-5"));
    EXPECT_EQ(u32At(m, 428), 9999000u);
    putI32(m, 428, 2500);
    EXPECT_EQ(m.position(Setting::ChangeSeconds), 3); // round(2.5)

    EXPECT_TRUE(m.setNumberText(Setting::MoonSeconds, "15"));
    EXPECT_EQ(u32At(m, 476), 15000u);
    EXPECT_TRUE(m.setNumberText(Setting::MessageMs, "0"));
    EXPECT_EQ(u32At(m, 1156), 0u);
    EXPECT_TRUE(m.setNumberText(Setting::MessageMs, "0250"));
    EXPECT_EQ(u32At(m, 1156), 250u);
    EXPECT_FALSE(m.setNumberText(Setting::MessageMs, "10000"));
    EXPECT_EQ(numberBoxDigits(Setting::ChangeSeconds), 4);
    EXPECT_EQ(numberBoxDigits(Setting::MoonSeconds), 4);
    EXPECT_EQ(numberBoxDigits(Setting::CloudHours), 2);
    EXPECT_EQ(numberBoxDigits(Setting::MessageMs), 4);
}

TEST(ColourSwatches, StepThroughThePaletteAndWrap) {
    SettingsModel m;
    EXPECT_EQ(m.swatchRgb(Setting::TitleColour), 0xB0D0FFu); // index 8
    m.advanceColour(Setting::TitleColour);
    EXPECT_EQ(i32At(m, 1148), 9);
    EXPECT_EQ(m.swatchRgb(Setting::TitleColour), 0xD0B0FFu);
    putI32(m, 1168, 13);
    m.advanceColour(Setting::ClockColour);
    EXPECT_EQ(i32At(m, 1168), 0);
    EXPECT_EQ(m.swatchRgb(Setting::ClockColour), 0xFFFFFFu);
    m.advanceColour(Setting::ClockColour);
    EXPECT_EQ(m.swatchRgb(Setting::ClockColour), 0xFF0000u);
    // An index outside the palette shows the field's default and steps to 0.
    putI32(m, 1152, 40);
    EXPECT_EQ(m.swatchRgb(Setting::SubtitleColour), 0xFFFF00u);
    m.advanceColour(Setting::SubtitleColour);
    EXPECT_EQ(i32At(m, 1152), 0);
    putI32(m, 1160, -3);
    m.advanceColour(Setting::LabelColour);
    EXPECT_EQ(i32At(m, 1160), 0);
}

TEST(SettingsFile, ShortLongAndEmptyFilesOverlayTheirLength) {
    std::vector<uint8_t> file(5000, 0x11);
    SettingsModel m;
    m.overlayFile(std::span(file).first(0));
    EXPECT_EQ(m.bytes(), factoryRecord());
    m.overlayFile(std::span(file).first(12));
    EXPECT_EQ(i32At(m, 0), 0x11111111);
    EXPECT_EQ(readU16(&m.bytes()[10]), 0x1111);
    EXPECT_EQ(i32At(m, 12), 0); // past the file: the default
    EXPECT_EQ(i32At(m, 16), -1);
    m.setFactoryDefaults();
    m.overlayFile(file);
    for (uint8_t b : m.bytes())
        ASSERT_EQ(b, 0x11);
}

TEST(AdvancedTexts, KeepTheirTerminatorAndTheBytesAfterIt) {
    SettingsModel m;
    m.setCloudServerHost("clouds.example");
    EXPECT_EQ(m.cloudServerHost(), "clouds.example");
    m.setCloudImagePath("/a");
    EXPECT_EQ(m.cloudImagePath(), "/a");
    EXPECT_EQ(m.bytes()[768 + 2], 0);
    EXPECT_EQ(m.bytes()[768 + 3], 'i'); // "/cgi-bin": the old bytes after the new terminator
    m.setCloudServerHost(std::string(300, 'h')); // cut to leave room for the terminator
    EXPECT_EQ(m.cloudServerHost().size(), 259u);
    EXPECT_EQ(m.bytes()[508 + 259], 0);
    EXPECT_EQ(m.bytes()[768], '/'); // the next field untouched
}

} // namespace
} // namespace gv::editor
