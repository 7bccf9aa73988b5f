#pragma once
// The cloud-map services the advanced clouds dialog offers by name: each
// fills the server and the image path, and names the credit its maps ask
// for. Any other server and path can still be typed in.
#include <string>
#include <string_view>
#include <vector>

namespace gv::editor {

struct CloudSource {
    std::string name;
    std::string host;
    std::string path;
    // The line the service asks its users to show; empty when none.
    std::string credit;
};

// The factory settings' two-step service first, then the live maps.
const std::vector<CloudSource>& cloudSources();

// The source whose server and path these are, or -1. Servers compare
// without regard to case, paths exactly.
int findCloudSource(std::string_view host, std::string_view path);

} // namespace gv::editor
