#include "places/places.h"

#include "platform/atomic_file.h"

#include <algorithm>

namespace gv {

namespace {

// A file that must not be written back: it could not be read, or only a part of it.
bool notToBeWritten(const FoundFile& file) {
    return file.state == FileState::Unreadable || !file.whole;
}

void keep(FileSave& save, std::string why) {
    save.outcome = SaveOutcome::Kept;
    save.reason = std::move(why);
}

void write(FileSave& save, const std::string& path, std::span<const uint8_t> bytes) {
    std::string failure;
    if (platform::replaceFileContents(path, bytes, &failure)) {
        save.outcome = SaveOutcome::Written;
        save.reason.clear();
    } else {
        save.outcome = SaveOutcome::Failed;
        save.reason = failure;
    }
}

} // namespace

Places::Places() {
    selection_.reserve(16);
}

void Places::clear() {
    db_.clear();
    clearSelection();
    databaseFile_ = {};
    selectionFile_ = {};
    loaded_ = false;
    fromFile_ = false;
    removedSinceLoad_ = false;
}

void Places::load(const std::string& folder, std::span<const uint8_t> builtIn) {
    clear();
    loaded_ = true;
    const FileBytes database = readFileBytes(folder + kCitiesFileName, kFileReadCap);
    databaseFile_ = foundFile(database);
    // Only a file that is not there gives way to the built-in list; one that
    // cannot be read is still the user's, and the built-in list only stands
    // in for it during this run.
    fromFile_ = database.read();
    db_.appendFromBytes(fromFile_ ? std::span<const uint8_t>(database.bytes) : builtIn);
    // An old selection cannot point into the built-in list.
    if (!fromFile_) return;
    const FileBytes selection = readFileBytes(folder + kSelectionFileName, kFileReadCap);
    selectionFile_ = foundFile(selection);
    if (!selection.read()) return;
    // Values that name no record would point past the lists: they are
    // dropped. Duplicates are kept as they are.
    for (uint32_t index : decodeSelection(selection.bytes))
        if (index < db_.size()) selection_.push_back(index);
}

bool Places::selectable(std::size_t k) const {
    return k < db_.size() &&
           std::find(selection_.begin(), selection_.end(), uint32_t(k)) == selection_.end();
}

bool Places::select(std::size_t k) {
    if (!selectable(k)) return false;
    selection_.push_back(uint32_t(k));
    return true;
}

bool Places::unselect(std::size_t j) {
    if (j >= selection_.size()) return false;
    selection_.erase(selection_.begin() + std::ptrdiff_t(j));
    return true;
}

void Places::clearSelection() {
    selection_ = {};
    selection_.reserve(16);
}

bool Places::append(const LocationRecord& record) {
    if (full()) return false;
    db_.append(record);
    return true;
}

bool Places::remove(std::size_t k, PlacesListener* listener) {
    if (k >= db_.size()) return false;
    PlacesListener silent;
    PlacesListener& tell = listener ? *listener : silent;
    tell.placeAboutToBeRemoved(k);
    db_.remove(k);
    removedSinceLoad_ = true;
    tell.placeRemoved(k);
    // Every entry of the deleted place goes: a selection file may name it
    // twice, and a second entry would be left naming the record that moved
    // into its place.
    const uint32_t gone = uint32_t(k);
    for (std::size_t j = selection_.size(); j-- > 0;) {
        if (selection_[j] != gone) continue;
        tell.selectionEntryAboutToBeRemoved(j);
        selection_.erase(selection_.begin() + std::ptrdiff_t(j));
        tell.selectionEntryRemoved(j);
    }
    for (std::size_t j = 0; j < selection_.size(); ++j)
        if (selection_[j] > gone) {
            --selection_[j];
            tell.selectionEntryRenumbered(j);
        }
    return true;
}

PlacesSave Places::save(const std::string& folder) const {
    PlacesSave out;
    if (!loaded_) {
        keep(out.database, "the places were not loaded");
        keep(out.selection, "the places were not loaded");
        return out;
    }
    if (databaseFile_.state == FileState::Unreadable)
        keep(out.database, "it could not be read (" + databaseFile_.reason + ")");
    else if (!databaseFile_.whole)
        keep(out.database, "only its first part could be read");
    else if (removedSinceLoad_ && notToBeWritten(selectionFile_))
        // The kept selection names places by their old positions.
        keep(out.database, std::string(kSelectionFileName) + " could not be read, and its " +
                               "places would no longer match");
    else
        write(out.database, folder + kCitiesFileName, db_.toBytes());

    if (selectionFile_.state == FileState::Unreadable)
        keep(out.selection, "it could not be read (" + selectionFile_.reason + ")");
    else if (!selectionFile_.whole)
        keep(out.selection, "only its first part could be read");
    else if (out.database.outcome == SaveOutcome::Kept)
        keep(out.selection,
             std::string("it belongs to ") + kCitiesFileName + ", which is left as it is");
    else if (out.database.outcome == SaveOutcome::Failed)
        keep(out.selection,
             std::string("it belongs to ") + kCitiesFileName + ", which could not be written");
    else
        write(out.selection, folder + kSelectionFileName, encodeSelection(selection_));
    return out;
}

} // namespace gv
