#include "formats/byte_io.h"
#include "formats/preferences.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace gv {
namespace {

TEST(PreferencesLayout, DefaultsLandAtTheirFileOffsets) {
    const auto bytes = encodePreferences(defaultPreferences());
    ASSERT_EQ(bytes.size(), 1196u);
    EXPECT_EQ(readI32(&bytes[0x000]), 0);   // optionsSelection
    EXPECT_EQ(readI32(&bytes[0x004]), 1);   // fullScreen
    EXPECT_EQ(readU16(&bytes[0x008]), 0);   // deviceIndex
    EXPECT_EQ(readU16(&bytes[0x00A]), 999); // first-run marker
    EXPECT_EQ(readI32(&bytes[0x010]), 1);   // textureFiltering
    // Camera entries: 48 bytes each from 0x014; name at +4, distance +36, speed +40.
    EXPECT_STREQ(reinterpret_cast<const char*>(&bytes[0x014 + 4]), "Orbit 1");
    EXPECT_EQ(readI32(&bytes[0x014 + 36]), 560);
    EXPECT_FLOAT_EQ(readF32(&bytes[0x014 + 40]), 0.0002f);
    EXPECT_STREQ(reinterpret_cast<const char*>(&bytes[0x014 + 48 * 7 + 4]), "Loc view*");
    EXPECT_FLOAT_EQ(readF32(&bytes[0x014 + 48 * 1 + 40]), -0.0004f);
    EXPECT_EQ(readI32(&bytes[0x194]), 0);           // currentCamera
    EXPECT_FLOAT_EQ(readF32(&bytes[0x198]), 0.97f); // fieldOfView
    EXPECT_EQ(readU32(&bytes[0x1AC]), 20000u);
    EXPECT_EQ(readI32(&bytes[0x1C0]), 3);
    EXPECT_EQ(readI32(&bytes[0x1D0]), 2);
    EXPECT_EQ(readU32(&bytes[0x1DC]), 10000u);
    EXPECT_EQ(readI32(&bytes[0x1EC]), 3);
    EXPECT_STREQ(reinterpret_cast<const char*>(&bytes[0x300]),
                 "/cgi-bin/uncgi/Earth/action?opt=-p&img=wx-cmap.bmp&daynight=-d");
    EXPECT_EQ(readU32(&bytes[0x404]), 7200u);
    EXPECT_EQ(readU32(&bytes[0x408]), 0x004A5963u);
    EXPECT_EQ(readU32(&bytes[0x408 + 4 * 7]), 0x0084868Cu); // repeats the seventh
    EXPECT_EQ(readU32(&bytes[0x408 + 4 * 19]), 0x00FFFFFFu);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(readI32(&bytes[0x458 + 4 * i]), 0);
    EXPECT_EQ(readI32(&bytes[0x47C]), 8);
    EXPECT_EQ(readI32(&bytes[0x480]), 4);
    EXPECT_EQ(readU32(&bytes[0x484]), 2500u);
    EXPECT_EQ(readI32(&bytes[0x488]), 9);
    EXPECT_EQ(readI32(&bytes[0x4A0]), 5);
    EXPECT_EQ(readU32(&bytes[0x4A4]), 1300u);
    EXPECT_EQ(readU16(&bytes[0x4A8]), 1);
    // "NIGHT LIGHTS", "TRUE SEASONS", "ATMOSPHERE" and "LOCATIONS LABELS
    // DECLUTTER" (bits 0 to 3) on in a fresh record.
    EXPECT_EQ(bytes[0x4AA], 0x0F);
    EXPECT_EQ(bytes[0x4AB], 0);
}

TEST(PreferencesLayout, EveryByteSurvivesDecodeAndEncode) {
    // Arbitrary bytes, including the editor's -1 booleans and an unterminated
    // host name, must come back unchanged: the editor writes back what it read.
    std::array<uint8_t, kPreferencesSize> bytes;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(i * 7 + 3);
    writeI32(&bytes[0x004], -1);
    const Preferences p = decodePreferences(bytes);
    EXPECT_TRUE(isOn(p.fullScreen));
    EXPECT_EQ(encodePreferences(p), bytes);
}

TEST(PreferencesLoad, FileLengthDecidesHowMuchIsReplaced) {
    std::array<uint8_t, kPreferencesSize> file;
    file.fill(0x11);

    Preferences empty = defaultPreferences();
    overlayPreferences(empty, {});
    EXPECT_EQ(encodePreferences(empty), encodePreferences(defaultPreferences()));

    // 12 bytes: the first four fields only.
    Preferences twelve = defaultPreferences();
    overlayPreferences(twelve, std::span(file).first(12));
    EXPECT_EQ(twelve.optionsSelection, 0x11111111);
    EXPECT_EQ(twelve.fullScreen, 0x11111111);
    EXPECT_EQ(twelve.deviceIndex, 0x1111);
    EXPECT_EQ(twelve.screenModeIndex, 0x1111);
    EXPECT_EQ(twelve.doubleBuffered, 0);
    EXPECT_EQ(twelve.cameras[0].distance, 560);
    EXPECT_EQ(twelve.sunDistance, 1300u);

    // A file ending inside a field replaces only its leading bytes.
    Preferences thirteen = defaultPreferences();
    overlayPreferences(thirteen, std::span(file).first(13));
    EXPECT_EQ(thirteen.doubleBuffered, 0x11);

    // Longer than the record: only the first 1196 bytes count.
    std::vector<uint8_t> big(5000, 0x22);
    Preferences large = defaultPreferences();
    overlayPreferences(large, big);
    EXPECT_EQ(large.clockSize, 0x2222);
    EXPECT_EQ(large.optionFlags, 0x2222);
}

TEST(PreferencesOptionFlags, ReadAsALittleEndianWordOfBits) {
    std::array<uint8_t, kPreferencesSize> bytes = encodePreferences(defaultPreferences());
    // 0x8A02: bit 1 ("TRUE SEASONS"), bit 9 and bit 15 set; bits 0, 2 clear.
    bytes[0x4AA] = 0x02;
    bytes[0x4AB] = 0x8A;
    const Preferences p = decodePreferences(bytes);
    EXPECT_EQ(p.optionFlags, 0x8A02);
    EXPECT_FALSE(optionOn(p, OptionFlag::NightLights));
    EXPECT_TRUE(optionOn(p, OptionFlag::TrueSeasons));
    EXPECT_FALSE(optionOn(p, OptionFlag::Atmosphere));
    EXPECT_TRUE(optionOn(bytes, OptionFlag::TrueSeasons));
    EXPECT_FALSE(optionOn(bytes, OptionFlag::Atmosphere));

    // Bit 0 alone, in the low byte; a high byte alone switches none of them.
    bytes[0x4AA] = 0x01;
    bytes[0x4AB] = 0x00;
    EXPECT_TRUE(optionOn(bytes, OptionFlag::NightLights));
    EXPECT_FALSE(optionOn(bytes, OptionFlag::TrueSeasons));
    bytes[0x4AA] = 0x00;
    bytes[0x4AB] = 0x07;
    EXPECT_FALSE(optionOn(bytes, OptionFlag::NightLights));
    EXPECT_FALSE(optionOn(bytes, OptionFlag::TrueSeasons));
    EXPECT_FALSE(optionOn(bytes, OptionFlag::Atmosphere));
    EXPECT_FALSE(optionOn(bytes, OptionFlag::LabelsDeclutter));
    // Bit 3 (value 8) alone is the labels' and no earth option's.
    bytes[0x4AA] = 0x08;
    bytes[0x4AB] = 0x00;
    EXPECT_TRUE(optionOn(bytes, OptionFlag::LabelsDeclutter));
    EXPECT_FALSE(optionOn(bytes, OptionFlag::NightLights));
    EXPECT_FALSE(optionOn(bytes, OptionFlag::Atmosphere));
}

TEST(PreferencesOptionFlags, ChangingOneKeepsEveryOtherBitAsRead) {
    std::array<uint8_t, kPreferencesSize> bytes = encodePreferences(defaultPreferences());
    bytes[0x4AA] = 0x0A; // "TRUE SEASONS" and "LOCATIONS LABELS DECLUTTER"
    bytes[0x4AB] = 0x40;
    setOption(bytes, OptionFlag::NightLights, true);
    EXPECT_EQ(bytes[0x4AA], 0x0B);
    EXPECT_EQ(bytes[0x4AB], 0x40);
    setOption(bytes, OptionFlag::TrueSeasons, false);
    EXPECT_EQ(bytes[0x4AA], 0x09);
    EXPECT_EQ(bytes[0x4AB], 0x40);
    setOption(bytes, OptionFlag::Atmosphere, true);
    setOption(bytes, OptionFlag::Atmosphere, true); // twice is once
    EXPECT_EQ(bytes[0x4AA], 0x0D);
    EXPECT_EQ(bytes[0x4AB], 0x40);
    // The bytes before and after are not touched.
    EXPECT_EQ(readU16(&bytes[0x4A8]), 1);

    // The record's word does the same, and goes back to the file as it stands.
    Preferences p = decodePreferences(bytes);
    p.optionFlags = withOption(p.optionFlags, OptionFlag::NightLights, false);
    EXPECT_EQ(p.optionFlags, 0x400C);
    const auto written = encodePreferences(p);
    EXPECT_EQ(written[0x4AA], 0x0C);
    EXPECT_EQ(written[0x4AB], 0x40);
}

TEST(PreferencesOptionFlags, AFileFromBeforeTheOptionsKeepsThemOff) {
    // A full record written before the options existed: zeros at 0x4AA.
    std::array<uint8_t, kPreferencesSize> old = encodePreferences(defaultPreferences());
    old[0x4AA] = 0;
    old[0x4AB] = 0;
    Preferences p = defaultPreferences();
    overlayPreferences(p, old);
    EXPECT_EQ(p.optionFlags, 0);
    EXPECT_FALSE(optionOn(p, OptionFlag::NightLights));
    EXPECT_FALSE(optionOn(p, OptionFlag::TrueSeasons));
    EXPECT_FALSE(optionOn(p, OptionFlag::Atmosphere));
    EXPECT_FALSE(optionOn(p, OptionFlag::LabelsDeclutter)) << "every label drawn, as before";

    // A file that ends before 0x4AA leaves the fresh record's options on.
    Preferences shortFile = defaultPreferences();
    overlayPreferences(shortFile, std::span(old).first(0x4AA));
    EXPECT_TRUE(optionOn(shortFile, OptionFlag::NightLights));
    EXPECT_TRUE(optionOn(shortFile, OptionFlag::TrueSeasons));
    EXPECT_TRUE(optionOn(shortFile, OptionFlag::Atmosphere));
    EXPECT_TRUE(optionOn(shortFile, OptionFlag::LabelsDeclutter));
}

TEST(PreferencesTables, OutOfRangeIndicesNeverReadPastATable) {
    EXPECT_EQ(overlayColour(0, 8), 0xC0FFFFFFu);
    EXPECT_EQ(overlayColour(13, 8), 0xC0D0FFB0u);
    EXPECT_EQ(overlayColour(14, 8), kOverlayPalette[8]);
    EXPECT_EQ(overlayColour(-1, 4), kOverlayPalette[4]);
    EXPECT_EQ(overlayColour(-1, 99), kOverlayPalette[0]);
    EXPECT_EQ(clampedCameraIndex(7), 7);
    EXPECT_EQ(clampedCameraIndex(8), 0);
    EXPECT_EQ(clampedCameraIndex(-3), 0);
}

} // namespace
} // namespace gv
