#include "formats/location_record.h"

#include "formats/byte_io.h"

#include <cstring>

namespace gv {

static_assert(sizeof(LocationRecord) == kLocationRecordSize);
static_assert(offsetof(LocationRecord, catalogueCountry) == 0);
static_assert(offsetof(LocationRecord, padding0) == 2);
static_assert(offsetof(LocationRecord, catalogueRegion) == 4);
static_assert(offsetof(LocationRecord, name) == 8);
static_assert(offsetof(LocationRecord, latitude) == 40);
static_assert(offsetof(LocationRecord, longitude) == 44);
static_assert(offsetof(LocationRecord, timeZone) == 48);
static_assert(offsetof(LocationRecord, padding1) == 49);

namespace {
template <class Record, class Visit> void forEachField(Record& r, Visit&& visit) {
    visit(0, r.catalogueCountry);
    visit(2, r.padding0);
    visit(4, r.catalogueRegion);
    visit(8, r.name);
    visit(40, r.latitude);
    visit(44, r.longitude);
    visit(48, r.timeZone);
    visit(49, r.padding1);
}
} // namespace

LocationRecord decodeLocationRecord(std::span<const uint8_t, kLocationRecordSize> bytes) {
    LocationRecord r;
    forEachField(r, [&](std::size_t off, auto& v) { readField(bytes.data() + off, v); });
    return r;
}

std::array<uint8_t, kLocationRecordSize> encodeLocationRecord(const LocationRecord& record) {
    std::array<uint8_t, kLocationRecordSize> bytes{};
    forEachField(record,
                 [&](std::size_t off, const auto& v) { writeField(bytes.data() + off, v); });
    return bytes;
}

std::string locationName(const LocationRecord& record) {
    return std::string(record.name, strnlen(record.name, kLocationNameSize));
}

LocationRecord makeLocationRecord(const std::string& name, float latitude, float longitude,
                                  int timeZone) {
    LocationRecord r;
    std::memset(&r, 0, sizeof r);
    r.catalogueCountry = kAddedPlaceCountry;
    r.catalogueRegion = kAddedPlaceRegion;
    std::memcpy(r.name, name.data(), std::min<std::size_t>(name.size(), 30));
    r.latitude = latitude;
    r.longitude = longitude;
    r.timeZone = int8_t(timeZone);
    return r;
}

} // namespace gv
