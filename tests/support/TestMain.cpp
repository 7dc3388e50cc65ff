// Test entry point: every test binary runs with its own configuration and data
// folders, so no test ever reads or writes the real user's files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/AppFolders.hpp"

namespace {

class IsolatedUserFolders final : public ::testing::Environment {
public:
    void SetUp() override {
        namespace fs = std::filesystem;
        root_ = kelvane::AppFolders::createPrivateFolder(fs::temp_directory_path(),
                                                         "kelvane-home-");
        const fs::path config = root_ / "config";
        const fs::path data = root_ / "data";
        fs::create_directories(config);
        fs::create_directories(data);
        ::setenv("HOME", root_.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

private:
    std::filesystem::path root_;
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new IsolatedUserFolders);
    return RUN_ALL_TESTS();
}
