#pragma once
// The options overlay: one setting at a time in the bottom-left corner, its
// value above its label and the arrow keys as a hint. Left and Right walk the
// entries, Up and Down change the value, Enter runs an entry's action.
#include <array>
#include <cstddef>
#include <cstdint>

namespace gv {

inline constexpr int kOptionCount = 45;
inline constexpr std::size_t kOptionLabelSize = 48;

// Key codes a handler understands; 0 asks only for the value text.
inline constexpr uint32_t kOptionShow = 0;
inline constexpr uint32_t kOptionEnter = 13;
inline constexpr uint32_t kOptionUp = 38;
inline constexpr uint32_t kOptionDown = 40;

// The fixed caption at the top right (18 characters).
inline constexpr const char* kOptionsCaption = "OPTIONS - F3 HIDES";

// A value text in a buffer of its own: the overlay shows one every frame
// without touching the heap. Longer texts are cut.
struct OptionValue {
    static constexpr std::size_t kSize = 128;
    char text[kSize] = {};
    OptionValue() = default;
    OptionValue(const char* s); // copies s, cut to fit
};

struct OptionEntry {
    char label[kOptionLabelSize]; // a line feed splits it into two lines
    // Changes the setting for Up and Down, runs the action for Enter, and
    // returns the value text; any other key only returns the text.
    OptionValue (*handler)(uint32_t key);
};

const std::array<OptionEntry, kOptionCount>& optionEntries();

// The selected entry, kept in range even when the settings file holds another
// value.
int selectedOption();

// Left, Right, Home, End, Enter, Up and Down while the overlay is visible.
void optionsKey(uint32_t key);

// Draws the caption, the selected entry's label and value and the key hint.
void drawOptions();

} // namespace gv
