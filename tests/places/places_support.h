#pragma once
// Small databases as file bytes, and the places' names as strings.
#include "formats/selection_file.h"
#include "places/places.h"
#include "support/temp_dir.h"

#include <string>
#include <vector>

namespace gv::test {

inline std::vector<uint8_t> databaseBytes(const std::vector<std::string>& names) {
    CitiesDatabase db;
    for (const auto& n : names)
        db.append(makeLocationRecord(n, 1, 2, 3));
    return db.toBytes();
}

inline std::vector<uint8_t> selectionBytes(const std::vector<uint32_t>& indices) {
    return encodeSelection(indices);
}

inline std::vector<std::string> placeNames(const Places& places) {
    std::vector<std::string> out;
    for (std::size_t k = 0; k < places.size(); ++k)
        out.push_back(locationName(places[k]));
    return out;
}

} // namespace gv::test
