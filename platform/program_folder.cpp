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

std::string xdgDataFolderFrom(const char* dataHome, const char* home) {
    if (dataHome && dataHome[0] == '/') return std::string(dataHome) + "/geovista3d/";
    if (home && home[0] == '/') return std::string(home) + "/.local/share/geovista3d/";
    return {};
}

ProgramFolder settleProgramFolder(ProgramFolder configured, bool configuredWritable,
                                  const std::string& userFolder,
                                  bool (*makeFolder)(const std::string&)) {
    if (configuredWritable || userFolder.empty() || !makeFolder(userFolder)) return configured;
    configured.unwritable = configured.path;
    configured.path = userFolder;
    return configured;
}

ProgramFolder findProgramFolder() {
    const auto value = readRegistryString(kProgramRegistryKey, kProgramFolderValue);
    ProgramFolder folder;
    folder.fromRegistry = value && !value->empty();
    folder.path = programFolderFrom(value ? &*value : nullptr, programFilePath(), pathSeparator());
    return settleProgramFolder(folder, folderWritable(folder.path), userDataFolder(),
                               makePrivateFolder);
}

} // namespace gv::platform
