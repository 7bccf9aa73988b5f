// Any bytes as a cities file: whole records load, and writing them back gives
// the same bytes, names included.
#include "formats/cities_database.h"
#include "formats/time_zones.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    gv::CitiesDatabase db;
    const size_t count = db.appendFromBytes(std::span(data, size));
    if (count != size / gv::kLocationRecordSize || db.size() != count) std::abort();
    const auto bytes = db.toBytes();
    if (bytes.size() != count * gv::kLocationRecordSize) std::abort();
    if (!bytes.empty() && std::memcmp(bytes.data(), data, bytes.size()) != 0) std::abort();
    std::tm utc{};
    utc.tm_hour = 23;
    for (size_t i = 0; i < db.size(); ++i) {
        if (gv::locationName(db[i]).size() > gv::kLocationNameSize) std::abort();
        const std::tm local = gv::approximateLocalTm(db[i], utc);
        if (local.tm_hour < 0 || local.tm_hour > 23) std::abort();
        (void)gv::entryFromDecimal(db[i].latitude);
    }
    return 0;
}
