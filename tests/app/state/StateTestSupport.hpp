// Helpers of the state object's tests: real archives made with the real 7-Zip, a state
// object over a fake desktop, and bounded waits on its values.
#pragma once

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "fakes/FakeDesktopServices.hpp"
#include "process/ProcessRunner.hpp"
#include "state/ArchiveViewModel.hpp"
#include "support/TemporaryFolder.hpp"

namespace kelvane::testing {

inline void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

inline std::string readWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Packs `files` (relative path -> bytes) into `archive` with 7-Zip; extra switches such as
// "-pSECRET" or "-mhe=on" go before the names.
inline std::filesystem::path makeArchive(const std::filesystem::path& archive,
                                         const std::map<std::string, std::string>& files,
                                         const std::vector<std::string>& switches = {}) {
    const std::filesystem::path staging = archive.parent_path() / (archive.filename().string() + ".src");
    std::vector<std::string> arguments{"a", "-bd", "-y", "-spd"};
    arguments.insert(arguments.end(), switches.begin(), switches.end());
    arguments.push_back(archive.string());
    for (const auto& [path, bytes] : files) {
        writeFile(staging / path, bytes);
    }
    for (const auto& item : std::filesystem::directory_iterator(staging)) {
        arguments.push_back(item.path().filename().string());
    }
    const ProcessResult result =
        ProcessRunner::run("/usr/bin/7zz", arguments, staging);
    EXPECT_EQ(result.exitCode, 0) << result.stderrBytes;
    std::filesystem::remove_all(staging);
    return archive;
}

// Spins the event loop until `condition` holds, for at most `timeoutMs`.
template <class Condition>
[[nodiscard]] bool waitFor(Condition condition, int timeoutMs = 20000) {
    return QTest::qWaitFor(condition, timeoutMs);
}

class StateTest : public ::testing::Test {
protected:
    void SetUp() override {
        model_ = std::make_unique<app::ArchiveViewModel>(desktop_);
    }
    void TearDown() override {
        if (model_) model_->cleanupPreviewCache();
        // Waits for the cancelled work, then removes what it may have made meanwhile.
        model_.reset();
    }

    // Opens and waits until the listing is installed and the busy display is gone.
    void openAndWait(const std::filesystem::path& archive,
                     const std::optional<std::string>& password = {}) {
        model_->openArchive(QString::fromStdString(archive.string()), password);
        ASSERT_TRUE(waitFor([&] {
            return !model_->isBusy() && model_->listing() &&
                   model_->listing()->info().url == archive;
        })) << "the archive was not opened: "
            << model_->toastMessage().value_or(QString()).toStdString();
    }

    [[nodiscard]] std::vector<std::string> displayedIDs() const {
        std::vector<std::string> ids;
        for (const ArchiveEntry& entry : model_->displayedEntries()) ids.emplace_back(entry.id());
        return ids;
    }

    kelvane::testing::TemporaryFolder folder_;
    FakeDesktopServices desktop_;
    std::unique_ptr<app::ArchiveViewModel> model_;
};

}  // namespace kelvane::testing
