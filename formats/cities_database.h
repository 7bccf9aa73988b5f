#pragma once
// The ordered list of places. A record's index is its identity for the
// selection file; records are allocated one by one so that other lists may
// keep pointers to them while the database grows.
#include "formats/location_record.h"

#include <memory>
#include <span>
#include <vector>

namespace gv {

class CitiesDatabase {
  public:
    CitiesDatabase() { records_.reserve(16); }

    std::size_t size() const { return records_.size(); }
    bool empty() const { return records_.empty(); }
    const LocationRecord& operator[](std::size_t i) const { return *records_[i]; }
    LocationRecord& operator[](std::size_t i) { return *records_[i]; }

    void append(const LocationRecord& record);
    // Removes record i; later records move down by one.
    void remove(std::size_t i);
    void clear() { records_.clear(); }

    // Appends every complete 52-byte record of the bytes; a trailing partial
    // record is ignored. Returns how many were appended.
    std::size_t appendFromBytes(std::span<const uint8_t> bytes);
    std::vector<uint8_t> toBytes() const;

  private:
    std::vector<std::unique_ptr<LocationRecord>> records_;
};

inline constexpr const char* kCitiesFileName = "geovista.loc";

} // namespace gv
