#include "formats/cities_database.h"

namespace gv {

void CitiesDatabase::append(const LocationRecord& record) {
    // Double as the growable arrays of the system do, from 16 entries.
    if (records_.size() == records_.capacity()) records_.reserve(records_.capacity() * 2);
    records_.push_back(std::make_unique<LocationRecord>(record));
}

void CitiesDatabase::remove(std::size_t i) {
    if (i < records_.size()) records_.erase(records_.begin() + std::ptrdiff_t(i));
}

std::size_t CitiesDatabase::appendFromBytes(std::span<const uint8_t> bytes) {
    const std::size_t count = bytes.size() / kLocationRecordSize;
    for (std::size_t i = 0; i < count; ++i)
        append(decodeLocationRecord(
            bytes.subspan(i * kLocationRecordSize).first<kLocationRecordSize>()));
    return count;
}

std::vector<uint8_t> CitiesDatabase::toBytes() const {
    std::vector<uint8_t> bytes;
    bytes.reserve(records_.size() * kLocationRecordSize);
    for (const auto& r : records_) {
        auto one = encodeLocationRecord(*r);
        bytes.insert(bytes.end(), one.begin(), one.end());
    }
    return bytes;
}

} // namespace gv
