#include "editor/cloud_hints.h"

#include "editor/text_1252.h"

#include <vector>

namespace gv::editor {

std::string cloudHintsText(const SettingsModel& settings) {
    std::string text;
    for (int i = 0; i < kCloudColourCount; ++i) {
        if (i > 0) text += '\n';
        text += std::to_string(settings.cloudColour(i));
    }
    return text;
}

std::optional<uint32_t> parseWholeNumber(std::string_view text) {
    text = trimmedBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + uint64_t(c - '0');
        if (value > 0xFFFFFFFFull) return std::nullopt;
    }
    if (negative) {
        if (value > 0x80000000ull) return std::nullopt;
        return uint32_t(-int64_t(value));
    }
    return uint32_t(value);
}

std::optional<BadHintLine> applyCloudHints(SettingsModel& settings, std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    for (int i = 0; i < kCloudColourCount; ++i) {
        if (std::size_t(i) >= lines.size()) {
            settings.setCloudColour(i, 0);
            continue;
        }
        const auto value = parseWholeNumber(lines[std::size_t(i)]);
        if (!value) return BadHintLine{i + 1, std::string(lines[std::size_t(i)])};
        settings.setCloudColour(i, *value);
    }
    return std::nullopt;
}

} // namespace gv::editor
