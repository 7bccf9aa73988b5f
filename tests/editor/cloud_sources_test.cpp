#include "editor/cloud_sources.h"
#include "editor/settings_model.h"

#include <gtest/gtest.h>

namespace gv::editor {
namespace {

TEST(CloudSources, TheFactoryServiceAndTheLiveMaps) {
    const auto& sources = cloudSources();
    ASSERT_EQ(sources.size(), 2u);
    // The first is whatever the factory record holds.
    const SettingsModel factory;
    EXPECT_EQ(sources[0].host, factory.cloudServerHost());
    EXPECT_EQ(sources[0].path, factory.cloudImagePath());
    EXPECT_EQ(sources[0].credit, "");
    EXPECT_EQ(sources[1].name, "Live cloud maps (EUMETSAT data, via clouds.matteason.co.uk)");
    EXPECT_EQ(sources[1].host, "https://clouds.matteason.co.uk");
    EXPECT_EQ(sources[1].path, "/images/2048x1024/clouds.jpg");
    EXPECT_EQ(sources[1].credit, "Contains modified EUMETSAT data");
    // Each fits the record's fields and the typing limits of the dialog.
    for (const CloudSource& s : sources) {
        EXPECT_LE(s.host.size(), 256u);
        EXPECT_LE(s.path.size(), 259u);
    }
}

TEST(CloudSources, FoundByServerInAnyCaseAndExactPath) {
    EXPECT_EQ(findCloudSource("https://clouds.matteason.co.uk", "/images/2048x1024/clouds.jpg"), 1);
    EXPECT_EQ(findCloudSource("HTTPS://Clouds.MattEason.CO.UK", "/images/2048x1024/clouds.jpg"), 1);
    EXPECT_EQ(findCloudSource("https://clouds.matteason.co.uk", "/images/2048X1024/clouds.jpg"),
              -1);
    EXPECT_EQ(findCloudSource("https://clouds.matteason.co.uk", "/images/4096x2048/clouds.jpg"),
              -1);
    EXPECT_EQ(findCloudSource("https://clouds.matteason.co.uk/", "/images/2048x1024/clouds.jpg"),
              -1);
    EXPECT_EQ(findCloudSource("clouds.matteason.co", "/images/2048x1024/clouds.jpg"), -1);
    const SettingsModel factory;
    EXPECT_EQ(findCloudSource(factory.cloudServerHost(), factory.cloudImagePath()), 0);
    EXPECT_EQ(findCloudSource("", ""), -1);
}

} // namespace
} // namespace gv::editor
