// Any bytes as a database file chosen for the import: whole records only,
// never a name twice (without regard to case), and every record can be shown
// in the entry fields.
#include "editor/locations_model.h"
#include "formats/text_1252.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <unordered_set>

using namespace gv;
using namespace gv::editor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The import reads a file by its name: a file in memory where there is one.
    static const std::string path =
        std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/gv-fuzz-import-" +
        std::to_string(getpid()) + ".loc";
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        if (size) std::fwrite(data, 1, size, f);
        std::fclose(f);
    } else {
        return 0;
    }
    LocationsModel m;
    const ImportReport r = m.importFile(path, {}, [](int percent, std::size_t) {
        if (percent < 0 || percent > 100) std::abort();
        return true;
    });
    if (r.imported != (size % kLocationRecordSize == 0)) std::abort();
    if (r.added != m.cityCount() || r.added > size / kLocationRecordSize) std::abort();
    std::unordered_set<std::string> names;
    for (std::size_t k = 0; k < m.cityCount(); ++k) {
        if (!names.insert(foldedCp1252(m.cityLine(k))).second) std::abort();
        if (m.cityLine(k).size() > kListNameLimit) std::abort();
        const LocationEntry e = entryFromRecord(m.database()[k]);
        if (e.timeZone < -1 || e.timeZone > 25) std::abort();
        if (m.search(m.cityLine(k)) < 0 && !m.cityLine(k).empty()) std::abort();
    }
    if (m.cityCount() > 0) {
        m.show(0);
        m.remove(0);
        if (m.shownCount() != 0 || !m.shownIndices().empty()) std::abort();
    }
    std::remove(path.c_str());
    return 0;
}
