// Any bytes as a database file and a selection file (the first byte says
// where the one ends and the other begins), then deletions chosen by the
// bytes that follow: every selection entry keeps naming the record it named,
// entries of a deleted record go, and the files saved read back the same.
#include "places/places.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace gv;

namespace {

void writeFile(const std::string& path, const uint8_t* data, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
}

void checkIndices(const Places& places) {
    for (uint32_t index : places.selection())
        if (index >= places.size()) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string folder = [] {
        std::string f = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                        "/gv-fuzz-places-" + std::to_string(getpid()) + "/";
        mkdir(f.c_str(), 0700);
        return f;
    }();
    // The folder goes with the process.
    static const int removed = std::atexit([] {
        std::remove((folder + kCitiesFileName).c_str());
        std::remove((folder + kSelectionFileName).c_str());
        rmdir(folder.c_str());
    });
    (void)removed;
    if (size < 2) return 0;
    // Database: up to 255 records' worth of bytes; then the selection; the
    // last bytes (up to 16) choose the deletions.
    const size_t databaseSize = std::min(size - 1, size_t(data[0]) * 13);
    const size_t rest = size - 1 - databaseSize;
    const size_t operations = std::min<size_t>(rest, 16);
    const uint8_t* database = data + 1;
    const uint8_t* selection = database + databaseSize;
    const size_t selectionSize = rest - operations;
    const uint8_t* ops = selection + selectionSize;
    writeFile(folder + kCitiesFileName, database, databaseSize);
    writeFile(folder + kSelectionFileName, selection, selectionSize);

    Places places;
    places.load(folder, {});
    if (!places.fromFile() || places.size() != databaseSize / kLocationRecordSize) std::abort();
    checkIndices(places);
    for (size_t i = 0; i < operations; ++i) {
        const size_t k = places.empty() ? 0 : ops[i] % (places.size() + 1);
        std::vector<const LocationRecord*> named;
        for (uint32_t index : places.selection())
            named.push_back(&places[index]);
        const LocationRecord* gone = k < places.size() ? &places[k] : nullptr;
        const bool removed = places.remove(k);
        if (removed != (gone != nullptr)) std::abort();
        checkIndices(places);
        // The entries left are those that did not name the deleted record,
        // in their order, each naming its record still.
        size_t j = 0;
        for (const LocationRecord* record : named) {
            if (record == gone) continue;
            if (j >= places.selection().size() || &places[places.selection()[j]] != record)
                std::abort();
            ++j;
        }
        if (j != places.selection().size()) std::abort();
    }

    const PlacesSave save = places.save(folder);
    if (save.failed()) std::abort();
    Places again;
    again.load(folder, {});
    if (again.database().toBytes() != places.database().toBytes()) std::abort();
    if (again.selection() != places.selection()) std::abort();
    return 0;
}
