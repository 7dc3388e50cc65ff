#include "TemporaryFolder.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/AppFolders.hpp"

namespace kelvane::testing {
namespace fs = std::filesystem;

TemporaryFolder::TemporaryFolder()
    : path_(AppFolders::createPrivateFolder(fs::temp_directory_path(), "kelvane-test-")) {}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    // Tests may leave read-only folders behind; make them writable first.
    for (auto it = fs::recursive_directory_iterator(path_, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
    }
    fs::remove_all(path_, ignored);
}

fs::path TemporaryFolder::write(const fs::path& relative, std::string_view contents,
                                bool executable) const {
    const fs::path target = path_ / relative;
    fs::create_directories(target.parent_path());
    {
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    }
    if (executable) {
        fs::permissions(target,
                        fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                        fs::perm_options::add);
    }
    return target;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot read " << path;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

}  // namespace kelvane::testing
