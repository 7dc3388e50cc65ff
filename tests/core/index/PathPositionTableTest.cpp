#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "index/PathPositionTable.hpp"

namespace kelvane {
namespace {

class PathPositionTableTest : public ::testing::Test {
protected:
    auto keyAt() const {
        return [this](std::uint32_t position) { return std::string_view(keys_[position]); };
    }
    std::uint32_t insert(std::string key) {
        const auto position = static_cast<std::uint32_t>(keys_.size());
        const auto [stored, inserted] =
            table_.insert(key, PathPositionTable::hashOf(key), position, keyAt());
        if (inserted) keys_.push_back(std::move(key));
        return stored;
    }
    std::uint32_t find(std::string_view key) const {
        return table_.find(key, PathPositionTable::hashOf(key), keyAt());
    }

    PathPositionTable table_;
    std::vector<std::string> keys_;
};

TEST_F(PathPositionTableTest, GrowsFromNothingAndKeepsEveryKey) {
    EXPECT_EQ(find("anything"), PathPositionTable::kAbsent);
    for (int i = 0; i < 70000; ++i) {
        ASSERT_EQ(insert("k" + std::to_string(i)), static_cast<std::uint32_t>(i));
    }
    EXPECT_EQ(table_.size(), 70000U);
    for (int i = 0; i < 70000; ++i) {
        ASSERT_EQ(find("k" + std::to_string(i)), static_cast<std::uint32_t>(i));
    }
    EXPECT_EQ(find("k70000"), PathPositionTable::kAbsent);
    EXPECT_EQ(find(""), PathPositionTable::kAbsent);
    // Inserting a known key returns where it already is.
    EXPECT_EQ(insert("k123"), 123U);
    EXPECT_EQ(table_.size(), 70000U);
}

TEST_F(PathPositionTableTest, RemapsPositionsWhenTheKeysMove) {
    table_ = PathPositionTable(4);
    for (const char* key : {"a", "b", "c", "d", "e"}) insert(key);
    std::reverse(keys_.begin(), keys_.end());
    table_.remapPositions([](std::uint32_t position) { return 4 - position; });
    EXPECT_EQ(find("a"), 4U);
    EXPECT_EQ(find("e"), 0U);
    EXPECT_EQ(find("c"), 2U);
    EXPECT_EQ(insert("f"), 5U);
    EXPECT_EQ(find("f"), 5U);
}

}  // namespace
}  // namespace kelvane
