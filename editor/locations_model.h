#pragma once
// The Locations tab without its widgets: the places (database and
// selection, with their files' rules) with the city list (line k is record
// k) and the shown list (entry j names the place of the selection's entry
// j), and the operations of the tab's buttons. Nothing touches a file except
// load, save, the factory restore and the import's reading.
#include "editor/location_entry.h"
#include "places/places.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace gv::editor {

// What the lists need to hear to follow the model: each change is announced
// before it happens and confirmed after, as item views expect.
class LocationsListener {
  public:
    virtual ~LocationsListener() = default;
    virtual void citiesAboutToReset() {}
    virtual void citiesReset() {}
    virtual void cityAboutToAppend(std::size_t /*k*/) {}
    virtual void cityAppended() {}
    virtual void cityAboutToRemove(std::size_t /*k*/) {}
    virtual void cityRemoved() {}
    virtual void cityChanged(std::size_t /*k*/) {}
    virtual void shownAboutToReset() {}
    virtual void shownReset() {}
    virtual void shownAboutToAppend(std::size_t /*j*/) {}
    virtual void shownAppended() {}
    virtual void shownAboutToRemove(std::size_t /*j*/) {}
    virtual void shownRemoved() {}
    virtual void shownChanged(std::size_t /*j*/) {}
};

enum class AddResult { Added, MissingFields, Existent, Full };
enum class UpdateResult { Updated, MissingFields, NoCity };

struct ImportReport {
    bool imported = false; // false: the file could not be read or is not whole records
    bool cancelled = false;
    bool full = false; // stopped: the database holds all the places it may
    std::size_t added = 0;
};

// Called before each record: the bar's percentage and the count added so far.
// Returning false cancels the import (what was added stays).
using ImportProgress = std::function<bool(int percent, std::size_t added)>;
// Called once the file passed its checks, before the first record.
using ImportStart = std::function<void()>;

class LocationsModel {
  public:
    void setListener(LocationsListener* listener) { listener_ = listener; }

    // The database file, else (only when there is none) the built-in copy;
    // the selection only with the file (indices past the database are
    // dropped). A file that cannot be read is left for save to keep.
    void load(const std::string& folder, std::span<const uint8_t> builtIn);
    bool databaseFromFile() const { return places_.fromFile(); }
    const FoundFile& databaseFile() const { return places_.databaseFile(); }
    const FoundFile& selectionFile() const { return places_.selectionFile(); }
    // Writes the database, then the selection; each file says what became
    // of it (a file that could not be read is kept as it is).
    PlacesSave save(const std::string& folder) const;
    // Forgets every change, deletes the database and selection files and loads
    // again, which takes the built-in database and an empty selection.
    void restoreFactory(const std::string& folder, std::span<const uint8_t> builtIn);

    const CitiesDatabase& database() const { return places_.database(); }
    std::size_t cityCount() const { return lines_.size(); }
    const std::string& cityLine(std::size_t k) const { return lines_[k]; }
    std::size_t shownCount() const { return shownNames_.size(); }
    const std::string& shownName(std::size_t j) const { return shownNames_[j]; }
    // What "geovista.sel" holds: each shown entry's database index.
    const std::vector<uint32_t>& shownIndices() const { return places_.selection(); }

    // Appends city k to the shown list unless its index is there already.
    bool show(std::size_t k);
    void hide(std::size_t j);
    void hideAll();

    // The fields' record as a new last place.
    AddResult add(const LocationEntry& entry);
    // City k takes the fields' values; the shown entries of k its new name.
    UpdateResult update(std::ptrdiff_t k, const LocationEntry& entry);
    // Deletes city k; the shown list loses every entry of k and later
    // indices move down with their records.
    bool remove(std::ptrdiff_t k);

    // The first city, in list order, whose line begins with the text without
    // regard to case; -1 for an empty text or no match.
    std::ptrdiff_t search(std::string_view text) const;
    bool holdsName(std::string_view name) const;

    // Appends every record of another database file whose name is not in the
    // city list yet (without regard to case), until the database holds all
    // the places it may. The file must be whole 52-byte records; it is read
    // record by record, never whole.
    ImportReport importFile(const std::string& path, const ImportStart& start,
                            const ImportProgress& progress);

  private:
    class FollowDeletion;
    void clear();
    void appendRecord(const LocationRecord& record, std::string line);
    void countName(const std::string& line, int delta);

    Places places_;
    std::vector<std::string> lines_;
    std::vector<std::string> shownNames_;
    // How many lines hold each name, folded to lower case, for the duplicate
    // checks of "new" and the import.
    std::unordered_map<std::string, int> names_;
    LocationsListener* listener_ = nullptr;
    LocationsListener silent_;
    LocationsListener& notify() { return listener_ ? *listener_ : silent_; }
};

} // namespace gv::editor
