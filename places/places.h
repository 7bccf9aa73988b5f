#pragma once
// The places both programs keep: the cities database "geovista.loc" and the
// selection "geovista.sel" (indices into that database), with the rules that
// keep the two files in step and never lose what a user keeps:
// - the database comes from its file, else, only when there is no file, from
//   the built-in list; the selection is read only with a database from its file;
// - a file that is there but cannot be read, and a database (or selection)
//   larger than the reader takes, are used as far as they could be read and
//   are never written back;
// - a place is deleted with every selection entry that names it, and the
//   later entries move down with their records;
// - the database never grows past what the reader takes whole;
// - saving writes the database first, then the selection, so a failed
//   database write never leaves new indices beside the old database.
#include "formats/cities_database.h"
#include "formats/file_bytes.h"
#include "formats/file_save.h"
#include "formats/selection_file.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace gv {

// The most places a database may hold: every record of it is read whole.
inline constexpr std::size_t kMaxPlaces = kFileReadCap / kLocationRecordSize;

struct PlacesSave {
    FileSave database{kCitiesFileName, SaveOutcome::Kept, {}};
    FileSave selection{kSelectionFileName, SaveOutcome::Kept, {}};
    bool failed() const {
        return database.outcome == SaveOutcome::Failed || selection.outcome == SaveOutcome::Failed;
    }
};

// Told of each step of a deletion, before and after, as lists that follow
// the places need (item views announce removals before they happen).
class PlacesListener {
  public:
    virtual ~PlacesListener() = default;
    virtual void placeAboutToBeRemoved(std::size_t /*k*/) {}
    virtual void placeRemoved(std::size_t /*k*/) {}
    virtual void selectionEntryAboutToBeRemoved(std::size_t /*j*/) {}
    virtual void selectionEntryRemoved(std::size_t /*j*/) {}
    // Entry j now names the record one lower (the same place as before).
    virtual void selectionEntryRenumbered(std::size_t /*j*/) {}
};

class Places {
  public:
    Places();

    // Forgets everything, then reads the two files of the folder by the
    // rules above (builtIn: the built-in database's bytes).
    void load(const std::string& folder, std::span<const uint8_t> builtIn);
    // No place, no selection, nothing read (and nothing to save).
    void clear();

    std::size_t size() const { return db_.size(); }
    bool empty() const { return db_.empty(); }
    const LocationRecord& operator[](std::size_t k) const { return db_[k]; }
    // For changing a place in place; records never move while the database
    // grows, so a name pointer stays valid until the record is deleted.
    LocationRecord& record(std::size_t k) { return db_[k]; }
    const CitiesDatabase& database() const { return db_; }

    bool loaded() const { return loaded_; }
    bool fromFile() const { return fromFile_; }
    const FoundFile& databaseFile() const { return databaseFile_; }
    const FoundFile& selectionFile() const { return selectionFile_; }

    // The selection: database indices, in the order they were chosen.
    const std::vector<uint32_t>& selection() const { return selection_; }
    // Appends place k unless it is selected already or names no place.
    bool select(std::size_t k);
    // Drops selection entry j.
    bool unselect(std::size_t j);
    // Empties the selection (back to its first capacity of 16 entries).
    void clearSelection();

    // Whether place k may be selected: it exists and is not selected yet.
    bool selectable(std::size_t k) const;

    bool full() const { return db_.size() >= kMaxPlaces; }
    // A new last place; false, with nothing changed, when the database is full.
    bool append(const LocationRecord& record);
    // Deletes place k and every selection entry of it; later entries move
    // down by one with their records. False when k names no place.
    bool remove(std::size_t k, PlacesListener* listener = nullptr);

    // The database, then the selection, each replaced whole; each file says
    // what became of it.
    PlacesSave save(const std::string& folder) const;

  private:
    CitiesDatabase db_;
    std::vector<uint32_t> selection_;
    FoundFile databaseFile_;
    FoundFile selectionFile_;
    bool loaded_ = false;
    bool fromFile_ = false;
    bool removedSinceLoad_ = false;
};

} // namespace gv
