#include "editor/cloud_sources.h"

#include "formats/preferences.h"

#include <algorithm>
#include <cctype>

namespace gv::editor {

const std::vector<CloudSource>& cloudSources() {
    static const std::vector<CloudSource> sources = [] {
        const Preferences factory = defaultPreferences();
        std::vector<CloudSource> list;
        const auto text = [](const char* field) {
            return std::string(field, std::find(field, field + kHostFieldSize, '\0'));
        };
        const std::string host = text(factory.cloudServerHost);
        list.push_back({"Factory settings (two-step service at " + host + ")", host,
                        text(factory.cloudImagePath), ""});
        list.push_back({"Live cloud maps (EUMETSAT data, via clouds.matteason.co.uk)",
                        "https://clouds.matteason.co.uk", "/images/2048x1024/clouds.jpg",
                        "Contains modified EUMETSAT data"});
        return list;
    }();
    return sources;
}

int findCloudSource(std::string_view host, std::string_view path) {
    const auto sameHost = [host](const std::string& other) {
        return std::equal(host.begin(), host.end(), other.begin(), other.end(), [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) ==
                   std::tolower(static_cast<unsigned char>(b));
        });
    };
    const auto& sources = cloudSources();
    for (size_t i = 0; i < sources.size(); ++i)
        if (sameHost(sources[i].host) && path == sources[i].path) return int(i);
    return -1;
}

} // namespace gv::editor
