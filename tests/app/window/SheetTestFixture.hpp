// A shown main window stand-in with the state object, for the sheet tests.
#pragma once

#include <QMainWindow>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include "AppTestSupport.hpp"
#include "support/TemporaryFolder.hpp"
#include "fakes/FakeDesktopServices.hpp"
#include "state/ArchiveViewModel.hpp"

namespace kelvane::testing {

class SheetTestFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        viewModel_ = std::make_unique<app::ArchiveViewModel>(desktop_);
        window_ = std::make_unique<QMainWindow>();
        window_->resize(900, 600);
        window_->show();
        folder_.write("source/notes.txt", "plain notes\n");
        folder_.write("source/docs/readme.txt", "read me first\n");
        folder_.write("source/photos/a.bin", std::string(1500000, 'p'));
    }
    void TearDown() override {
        window_.reset();
        viewModel_->cleanupPreviewCache();
    }

    [[nodiscard]] std::filesystem::path source() const { return folder_.path() / "source"; }
    [[nodiscard]] QString sourcePath(const char* relative) const {
        return QString::fromStdString((source() / relative).string());
    }

    TemporaryFolder folder_;
    FakeDesktopServices desktop_;
    std::unique_ptr<app::ArchiveViewModel> viewModel_;
    std::unique_ptr<QMainWindow> window_;
};

}  // namespace kelvane::testing
