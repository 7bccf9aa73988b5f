#include "resources/editor_resources.h"

namespace gv::resources {

void registerEditorResources() {
    platform::setResourceTable(editorResourceTable());
}

} // namespace gv::resources
