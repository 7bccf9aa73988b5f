#include "platform/resources.h"

namespace gv::platform {

namespace {
std::span<const ResourceEntry> gTable;
}

void setResourceTable(std::span<const ResourceEntry> table) {
    gTable = table;
}

std::span<const uint8_t> findResource(std::string_view type, uint32_t id) {
    for (const ResourceEntry& e : gTable)
        if (e.id == id && e.type == type) return e.bytes;
    return {};
}

} // namespace gv::platform
