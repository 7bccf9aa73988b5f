#include "editor/locations_model.h"

#include "editor/text_1252.h"
#include "formats/selection_file.h"
#include "platform/atomic_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace gv::editor {

void LocationsModel::clear() {
    notify().shownAboutToReset();
    shown_.clear();
    notify().shownReset();
    notify().citiesAboutToReset();
    db_.clear();
    lines_.clear();
    names_.clear();
    notify().citiesReset();
}

void LocationsModel::countName(const std::string& line, int delta) {
    const std::string key = foldedCp1252(line);
    auto it = names_.find(key);
    if (it == names_.end()) {
        if (delta > 0) names_.emplace(key, delta);
        return;
    }
    it->second += delta;
    if (it->second <= 0) names_.erase(it);
}

void LocationsModel::appendRecord(const LocationRecord& record, std::string line) {
    notify().cityAboutToAppend(lines_.size());
    db_.append(record);
    countName(line, 1);
    lines_.push_back(std::move(line));
    notify().cityAppended();
}

void LocationsModel::load(const std::string& folder, std::span<const uint8_t> builtIn) {
    clear();
    notify().citiesAboutToReset();
    fromFile_ =
        loadDatabaseWithFallback(db_, folder + kCitiesFileName, builtIn) == DatabaseSource::File;
    lines_.reserve(db_.size());
    for (std::size_t k = 0; k < db_.size(); ++k) {
        lines_.push_back(listName(db_[k]));
        countName(lines_.back(), 1);
    }
    notify().citiesReset();
    if (!fromFile_) return;
    const auto indices = readSelectionFile(folder + kSelectionFileName, db_.size());
    if (!indices) return;
    notify().shownAboutToReset();
    for (uint32_t index : *indices)
        shown_.push_back({listName(db_[index]), index});
    notify().shownReset();
}

std::vector<uint32_t> LocationsModel::shownIndices() const {
    std::vector<uint32_t> indices;
    indices.reserve(shown_.size());
    for (const ShownEntry& e : shown_)
        indices.push_back(e.index);
    return indices;
}

bool LocationsModel::save(const std::string& folder) const {
    const auto database = db_.toBytes();
    const bool dbOk = platform::replaceFileContents(folder + kCitiesFileName, database);
    // The selection names records of the database written just before; without
    // that database it would point into the old one.
    if (!dbOk) return false;
    const auto indices = shownIndices();
    return platform::replaceFileContents(folder + kSelectionFileName, encodeSelection(indices));
}

void LocationsModel::restoreFactory(const std::string& folder, std::span<const uint8_t> builtIn) {
    clear();
    std::remove((folder + kCitiesFileName).c_str());
    std::remove((folder + kSelectionFileName).c_str());
    load(folder, builtIn);
}

bool LocationsModel::show(std::size_t k) {
    if (k >= lines_.size()) return false;
    for (const ShownEntry& e : shown_)
        if (e.index == k) return false;
    notify().shownAboutToAppend(shown_.size());
    shown_.push_back({listName(db_[k]), uint32_t(k)});
    notify().shownAppended();
    return true;
}

void LocationsModel::hide(std::size_t j) {
    if (j >= shown_.size()) return;
    notify().shownAboutToRemove(j);
    shown_.erase(shown_.begin() + std::ptrdiff_t(j));
    notify().shownRemoved();
}

void LocationsModel::hideAll() {
    notify().shownAboutToReset();
    shown_.clear();
    notify().shownReset();
}

bool LocationsModel::holdsName(std::string_view name) const {
    return names_.count(foldedCp1252(name)) > 0;
}

AddResult LocationsModel::add(const LocationEntry& entry) {
    if (!entryComplete(entry)) return AddResult::MissingFields;
    const std::string name(trimmedBlanks(entry.name).substr(0, kNameLimit));
    if (holdsName(name)) return AddResult::Existent;
    appendRecord(makeLocationRecord(name, latitudeOf(entry), longitudeOf(entry), timeZoneOf(entry)),
                 name);
    return AddResult::Added;
}

UpdateResult LocationsModel::update(std::ptrdiff_t k, const LocationEntry& entry) {
    if (!entryComplete(entry)) return UpdateResult::MissingFields;
    if (k < 0 || std::size_t(k) >= lines_.size()) return UpdateResult::NoCity;
    const std::string name(trimmedBlanks(entry.name).substr(0, kNameLimit));
    LocationRecord& record = db_[std::size_t(k)];
    // The first 31 bytes are cleared; the last byte of the field stays as read.
    std::memset(record.name, 0, kListNameLimit);
    std::memcpy(record.name, name.data(), name.size());
    record.latitude = latitudeOf(entry);
    record.longitude = longitudeOf(entry);
    record.timeZone = int8_t(timeZoneOf(entry));
    countName(lines_[std::size_t(k)], -1);
    lines_[std::size_t(k)] = name;
    countName(name, 1);
    notify().cityChanged(std::size_t(k));
    for (std::size_t j = 0; j < shown_.size(); ++j)
        if (shown_[j].index == uint32_t(k)) {
            shown_[j].name = listName(record);
            notify().shownChanged(j);
        }
    return UpdateResult::Updated;
}

bool LocationsModel::remove(std::ptrdiff_t k) {
    if (k < 0 || std::size_t(k) >= lines_.size()) return false;
    const uint32_t gone = uint32_t(k);
    notify().cityAboutToRemove(std::size_t(k));
    countName(lines_[std::size_t(k)], -1);
    lines_.erase(lines_.begin() + k);
    db_.remove(std::size_t(k));
    notify().cityRemoved();
    for (std::size_t j = 0; j < shown_.size(); ++j)
        if (shown_[j].index == gone) {
            hide(j);
            break;
        }
    for (std::size_t j = 0; j < shown_.size(); ++j)
        if (shown_[j].index > gone) {
            shown_[j].index -= 1;
            shown_[j].name = listName(db_[shown_[j].index]);
            notify().shownChanged(j);
        }
    return true;
}

std::ptrdiff_t LocationsModel::search(std::string_view text) const {
    if (text.empty()) return -1;
    const std::string wanted = foldedCp1252(text);
    for (std::size_t k = 0; k < lines_.size(); ++k) {
        const std::string& line = lines_[k];
        if (line.size() < wanted.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < wanted.size() && same; ++i)
            same = foldCp1252(line[i]) == wanted[i];
        if (same) return std::ptrdiff_t(k);
    }
    return -1;
}

ImportReport LocationsModel::importFile(const std::string& path, const ImportStart& start,
                                        const ImportProgress& progress) {
    ImportReport report;
    std::ifstream in(path, std::ios::binary);
    if (!in) return report;
    std::error_code ec;
    const uint64_t size = std::filesystem::file_size(path, ec);
    if (ec || size % kLocationRecordSize != 0) return report;
    if (start) start();
    std::array<uint8_t, kLocationRecordSize> bytes;
    for (uint64_t offset = 0; offset < size; offset += kLocationRecordSize) {
        const int percent = int((offset * 100 + size / 2) / size);
        if (progress && !progress(percent, report.added)) {
            report.cancelled = true;
            break;
        }
        // A file that shrank while it was read ends the import there.
        if (!in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()))) break;
        const LocationRecord record = decodeLocationRecord(bytes);
        std::string name = listName(record);
        if (holdsName(name)) continue;
        appendRecord(record, std::move(name));
        ++report.added;
    }
    if (progress && !report.cancelled) progress(100, report.added);
    report.imported = true;
    return report;
}

} // namespace gv::editor
