#include "resources/builtin_resources.h"

namespace gv::resources {

void registerBuiltinResources() {
    platform::setResourceTable(builtinResourceTable());
}

} // namespace gv::resources
