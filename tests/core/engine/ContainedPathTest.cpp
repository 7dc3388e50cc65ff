#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "engine/ContainedPath.hpp"
#include "support/TemporaryFolder.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

struct JoinCase {
    std::string name;
    std::optional<std::string> expected;  // relative to the base; none when refused
};

TEST(ContainedPathTest, JoinKeepsNamesBelowTheBaseAndRefusesTheRest) {
    const fs::path base = "/cache/0123456789abcdef";
    const JoinCase cases[] = {
        {"docs/readme.md", "docs/readme.md"},
        {"./docs//readme.md/", "docs/readme.md"},
        {"a..b/..c", "a..b/..c"},
        {"dir\\..\\..\\x", "dir\\..\\..\\x"},  // one component: a backslash is no separator here
        {"../../../../home/user/.ssh/id_rsa", std::nullopt},
        {"docs/../../outside", std::nullopt},
        {"docs/../readme.md", std::nullopt},
        {"..", std::nullopt},
        {"/etc/passwd", std::nullopt},
        {"", std::nullopt},
        {"./", std::nullopt},
        {std::string("a\0b", 3), std::nullopt},
    };
    for (const JoinCase& c : cases) {
        const auto joined = ContainedPath::join(base, c.name);
        if (c.expected) {
            ASSERT_TRUE(joined.has_value()) << c.name;
            EXPECT_EQ(*joined, base / *c.expected) << c.name;
        } else {
            EXPECT_FALSE(joined.has_value()) << c.name << " gave " << joined->string();
        }
    }
}

TEST(ContainedPathTest, ExistingInsideFollowsLinksAndRefusesThoseThatLeave) {
    const testing::TemporaryFolder folder;
    const fs::path base = folder.path() / "base";
    folder.write("base/inner/file.txt", "inside");
    folder.write("outside/secret.txt", "secret");
    fs::create_directory_symlink(folder.path() / "outside", base / "escape");
    fs::create_symlink(folder.path() / "outside/secret.txt", base / "secret-link");
    fs::create_directory_symlink("inner", base / "alias");

    EXPECT_EQ(ContainedPath::existingInside(base, "inner/file.txt"), base / "inner/file.txt");
    EXPECT_EQ(ContainedPath::existingInside(base, "alias/file.txt"), base / "alias/file.txt");
    EXPECT_EQ(ContainedPath::existingInside(base, "inner"), base / "inner");
    EXPECT_FALSE(ContainedPath::existingInside(base, "escape/secret.txt"));
    EXPECT_FALSE(ContainedPath::existingInside(base, "secret-link"));
    EXPECT_FALSE(ContainedPath::existingInside(base, "missing.txt"));
    EXPECT_FALSE(ContainedPath::existingInside(base, "../outside/secret.txt"));
    // The base itself is not inside itself.
    EXPECT_FALSE(ContainedPath::isInside(base, base));
    EXPECT_FALSE(ContainedPath::isInside(base / "inner", base / "inner-sibling"));
}

}  // namespace
}  // namespace kelvane
