#pragma once
// The "Cloud scanning hints" of the advanced clouds dialog: the twenty cloud
// colours of the record as one decimal number per line.
#include "editor/settings_model.h"

#include <optional>
#include <string>
#include <string_view>

namespace gv::editor {

// Twenty lines, one colour each, joined by '\n'.
std::string cloudHintsText(const SettingsModel& settings);

struct BadHintLine {
    int lineNumber; // from 1
    std::string text;
};

// Line i (0..19) becomes colour i; a missing line stores 0; lines after the
// twentieth are ignored. A line that is not a whole number stops there: the
// colours before it are stored, that one and the later ones keep their
// values, and the line is returned.
std::optional<BadHintLine> applyCloudHints(SettingsModel& settings, std::string_view text);

// A whole number of 32 bits: optional blanks, an optional sign, digits.
// Negative numbers are kept as their 32-bit pattern.
std::optional<uint32_t> parseWholeNumber(std::string_view text);

} // namespace gv::editor
