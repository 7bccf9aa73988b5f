#include "editor/locations_model.h"

#include "editor/trimmed_blanks.h"
#include "formats/text_1252.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace gv::editor {

void LocationsModel::clear() {
    notify().shownAboutToReset();
    shownNames_.clear();
    places_.clear();
    notify().shownReset();
    notify().citiesAboutToReset();
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
    places_.append(record);
    countName(line, 1);
    lines_.push_back(std::move(line));
    notify().cityAppended();
}

void LocationsModel::load(const std::string& folder, std::span<const uint8_t> builtIn) {
    clear();
    notify().citiesAboutToReset();
    notify().shownAboutToReset();
    places_.load(folder, builtIn);
    lines_.reserve(places_.size());
    for (std::size_t k = 0; k < places_.size(); ++k) {
        lines_.push_back(listName(places_[k]));
        countName(lines_.back(), 1);
    }
    for (uint32_t index : places_.selection())
        shownNames_.push_back(lines_[index]);
    notify().citiesReset();
    notify().shownReset();
}

PlacesSave LocationsModel::save(const std::string& folder) const {
    return places_.save(folder);
}

void LocationsModel::restoreFactory(const std::string& folder, std::span<const uint8_t> builtIn) {
    clear();
    std::remove((folder + kCitiesFileName).c_str());
    std::remove((folder + kSelectionFileName).c_str());
    load(folder, builtIn);
}

bool LocationsModel::show(std::size_t k) {
    if (!places_.selectable(k)) return false;
    notify().shownAboutToAppend(shownNames_.size());
    places_.select(k);
    shownNames_.push_back(lines_[k]);
    notify().shownAppended();
    return true;
}

void LocationsModel::hide(std::size_t j) {
    if (j >= shownNames_.size()) return;
    notify().shownAboutToRemove(j);
    places_.unselect(j);
    shownNames_.erase(shownNames_.begin() + std::ptrdiff_t(j));
    notify().shownRemoved();
}

void LocationsModel::hideAll() {
    notify().shownAboutToReset();
    places_.clearSelection();
    shownNames_.clear();
    notify().shownReset();
}

bool LocationsModel::holdsName(std::string_view name) const {
    return names_.count(foldedCp1252(name)) > 0;
}

AddResult LocationsModel::add(const LocationEntry& entry) {
    if (!entryComplete(entry)) return AddResult::MissingFields;
    const std::string name(trimmedBlanks(entry.name).substr(0, kNameLimit));
    if (holdsName(name)) return AddResult::Existent;
    if (places_.full()) return AddResult::Full;
    appendRecord(makeLocationRecord(name, latitudeOf(entry), longitudeOf(entry), timeZoneOf(entry)),
                 name);
    return AddResult::Added;
}

UpdateResult LocationsModel::update(std::ptrdiff_t k, const LocationEntry& entry) {
    if (!entryComplete(entry)) return UpdateResult::MissingFields;
    if (k < 0 || std::size_t(k) >= lines_.size()) return UpdateResult::NoCity;
    const std::string name(trimmedBlanks(entry.name).substr(0, kNameLimit));
    LocationRecord& record = places_.record(std::size_t(k));
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
    const std::vector<uint32_t>& shown = places_.selection();
    for (std::size_t j = 0; j < shown.size(); ++j)
        if (shown[j] == uint32_t(k)) {
            shownNames_[j] = listName(record);
            notify().shownChanged(j);
        }
    return UpdateResult::Updated;
}

// The city list and the shown list follow a deletion of the places step by
// step, announcing each change to the views before and after it.
class LocationsModel::FollowDeletion final : public PlacesListener {
  public:
    explicit FollowDeletion(LocationsModel& m) : m_(m) {}
    void placeAboutToBeRemoved(std::size_t k) override {
        m_.notify().cityAboutToRemove(k);
        m_.countName(m_.lines_[k], -1);
    }
    void placeRemoved(std::size_t k) override {
        m_.lines_.erase(m_.lines_.begin() + std::ptrdiff_t(k));
        m_.notify().cityRemoved();
    }
    void selectionEntryAboutToBeRemoved(std::size_t j) override {
        m_.notify().shownAboutToRemove(j);
    }
    void selectionEntryRemoved(std::size_t j) override {
        m_.shownNames_.erase(m_.shownNames_.begin() + std::ptrdiff_t(j));
        m_.notify().shownRemoved();
    }
    void selectionEntryRenumbered(std::size_t j) override {
        m_.shownNames_[j] = m_.lines_[m_.places_.selection()[j]];
        m_.notify().shownChanged(j);
    }

  private:
    LocationsModel& m_;
};

bool LocationsModel::remove(std::ptrdiff_t k) {
    if (k < 0 || std::size_t(k) >= lines_.size()) return false;
    FollowDeletion follow(*this);
    return places_.remove(std::size_t(k), &follow);
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
        // One more would make a database the programs cannot read whole.
        if (places_.full()) {
            report.full = true;
            break;
        }
        appendRecord(record, std::move(name));
        ++report.added;
    }
    if (progress && !report.cancelled && !report.full) progress(100, report.added);
    report.imported = true;
    return report;
}

} // namespace gv::editor
