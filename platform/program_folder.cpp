#include "platform/program_folder.h"

#include "platform/program_file.h"
#include "platform/registry.h"

namespace gv::platform {

std::string programFolderFrom(const std::string* appPathValue, const std::string& programFile,
                              char separator) {
    std::string folder;
    if (appPathValue && !appPathValue->empty()) {
        folder = *appPathValue;
        // A value written by hand may lack the separator; file names are
        // appended directly, so add it.
        if (folder.back() != separator && folder.back() != '/') folder += separator;
        return folder;
    }
    const auto cut = programFile.find_last_of(separator == '\\' ? "\\/" : "/");
    if (cut == std::string::npos) return std::string(".") + separator;
    return programFile.substr(0, cut + 1);
}

ProgramFolder findProgramFolder() {
    const auto value = readRegistryString(kProgramRegistryKey, kProgramFolderValue);
    ProgramFolder folder;
    folder.fromRegistry = value && !value->empty();
    folder.path = programFolderFrom(value ? &*value : nullptr, programFilePath(), pathSeparator());
    return folder;
}

} // namespace gv::platform
