// Points the system's XDG folders of the core tests at empty ones before any
// test runs, so an installed copy of the program cannot change what a test
// sees; a test that needs them sets them itself.

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {
const bool isolated = [] {
    const std::filesystem::path root = std::filesystem::temp_directory_path() / "dravel-test-xdg";
    std::error_code ignored;
    std::filesystem::create_directories(root / "data-dirs", ignored);
    std::filesystem::create_directories(root / "config-dirs", ignored);
    ::setenv("XDG_DATA_DIRS", (root / "data-dirs").c_str(), 1);
    ::setenv("XDG_CONFIG_DIRS", (root / "config-dirs").c_str(), 1);
    return true;
}();
}  // namespace
