// Entry point of the application's test binaries: isolated user folders as for every test,
// and a Qt application object on the main thread, offscreen.
#include <gtest/gtest.h>

#include <QGuiApplication>

#include <cstdlib>
#include <filesystem>

#include "platform/AppFolders.hpp"

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    const fs::path root =
        kelvane::AppFolders::createPrivateFolder(fs::temp_directory_path(), "kelvane-home-");
    fs::create_directories(root / "config");
    fs::create_directories(root / "data");
    ::setenv("HOME", root.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);

    ::testing::InitGoogleTest(&argc, argv);
    QGuiApplication application(argc, argv);
    const int result = RUN_ALL_TESTS();
    std::error_code ignored;
    fs::remove_all(root, ignored);
    return result;
}
