// Helpers for the state and window tests: the one Qt application (offscreen unless told
// otherwise), archives made with the real tools, and waiting for the state object.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace kelvane::app {
class ArchiveViewModel;
}

namespace kelvane::testing {

// Creates a widget application on first use, on the offscreen platform unless
// QT_QPA_PLATFORM names another; an application the test's main made is kept.
void ensureApplication();

// Clicks a check box where a person would.
void clickToggle(QAbstractButton* toggle);

// Runs a tool to the end in `folder`; fails the calling test when it exits non-zero.
void runTool(const QString& program, const QStringList& arguments,
             const std::filesystem::path& folder);

// Opens an archive and waits until it is the shown listing (or the password sheet
// appears); false when neither happens in time.
[[nodiscard]] bool openAndWait(app::ArchiveViewModel& viewModel, const std::filesystem::path& archive,
                               const std::optional<std::string>& password = std::nullopt);

// The whole tree below `folder` as relative path -> bytes ("/" after folder names).
[[nodiscard]] std::map<std::string, std::string> treeContents(const std::filesystem::path& folder);

}  // namespace kelvane::testing
