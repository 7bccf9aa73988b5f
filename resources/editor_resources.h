#pragma once
// The settings editor's built-in resources: its copy of the default cities
// database ("RCDATA" 101) and the program icon.
#include "platform/resources.h"

#include <span>

namespace gv::resources {

std::span<const platform::ResourceEntry> editorResourceTable();

// Makes the editor's table the one that platform::findResource searches.
void registerEditorResources();

} // namespace gv::resources
