// What a person is shown for whatever an engine call threw.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "engine/ArchiveEngineError.hpp"
#include "engine/EngineFailureText.hpp"
#include "localization/AppLanguage.hpp"
#include "platform/UserDefaults.hpp"

namespace kelvane {
namespace {

class EngineFailureTextTest : public ::testing::Test {
protected:
    void SetUp() override { AppLanguage::setCurrent(AppLanguage::en); }
    void TearDown() override {
        UserDefaults::standard().remove(AppLanguage::defaultsKey);
        AppLanguage::reloadCurrent();
    }
};

TEST_F(EngineFailureTextTest, EachKindOfFailureReadsAsASentence) {
    EXPECT_EQ(EngineFailureText::describe(nullptr), "");
    EXPECT_EQ(EngineFailureText::describe(std::make_exception_ptr(ArchiveEngineError::cancelled())),
              ArchiveEngineError::cancelled().errorDescription());
    const auto full = std::make_exception_ptr(std::filesystem::filesystem_error(
        "write", "/data/out.bin", std::make_error_code(std::errc::no_space_on_device)));
    EXPECT_EQ(EngineFailureText::describe(full), "The disk is full. (/data/out.bin)");
    const auto denied = std::make_exception_ptr(std::filesystem::filesystem_error(
        "open", "/root/x", std::make_error_code(std::errc::permission_denied)));
    EXPECT_EQ(EngineFailureText::describe(denied), "Permission denied. (/root/x)");
    EXPECT_EQ(EngineFailureText::describe(std::make_exception_ptr(std::runtime_error("boom"))),
              "boom");
    EXPECT_EQ(EngineFailureText::describe(std::make_exception_ptr(42)), "The operation failed.");

    AppLanguage::setCurrent(AppLanguage::tr);
    EXPECT_EQ(EngineFailureText::describe(full), "Disk dolu. (/data/out.bin)");
}

}  // namespace
}  // namespace kelvane
