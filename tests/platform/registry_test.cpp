#include "platform/registry.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace gv::platform {
namespace {

TEST(Registry, KeyFileValuesAreFoundByName) {
    test::TempDir dir;
    setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    const std::string key = "SOFTWARE\\Quorvane\\Geovista3D";
    EXPECT_EQ(registryKeyFile(key), dir.file("Quorvane/Geovista3D.reg"));
    EXPECT_FALSE(readRegistryString(key, "AppPath").has_value());

    std::filesystem::create_directories(dir.file("Quorvane"));
    test::writeBytes(registryKeyFile(key),
                     {'#', ' ', 'c', '\n', 'O', 't', 'h', 'e', 'r', '=', '1', '\n', 'A',
                      'p', 'p', 'P', 'a',  't', 'h', '=', '/', 'g', 'v', '/', '\r', '\n'});
    EXPECT_EQ(readRegistryString(key, "AppPath"), "/gv/");
    EXPECT_EQ(readRegistryString(key, "Other"), "1");
    EXPECT_FALSE(readRegistryString(key, "App").has_value());
    EXPECT_EQ(readRegistryString(key, "AppPath", 3), "/g"); // a 3-byte buffer holds two characters
    unsetenv("XDG_CONFIG_HOME");
}

} // namespace
} // namespace gv::platform
