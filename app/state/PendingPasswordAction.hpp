// The action to run again once the user has typed a password.
#pragma once

#include <QString>

#include <optional>

#include "model/ArchiveEntry.hpp"

namespace kelvane::app {

struct PendingPasswordAction {
    enum class Kind {
        openArchive,        // url: the archive
        extract,            // selectedOnly
        previewEntry,       // entry
        openEntryDirectly,  // entry
        computeChecksums,   // entry
        convertArchive,     // url: the destination
        testArchive,
    };

    Kind kind = Kind::testArchive;
    QString url;
    bool selectedOnly = false;
    std::optional<ArchiveEntry> entry;

    [[nodiscard]] static PendingPasswordAction openArchive(QString archive) {
        return {Kind::openArchive, std::move(archive), false, std::nullopt};
    }
    [[nodiscard]] static PendingPasswordAction extract(bool selectedOnly) {
        return {Kind::extract, {}, selectedOnly, std::nullopt};
    }
    [[nodiscard]] static PendingPasswordAction previewEntry(ArchiveEntry entry) {
        return {Kind::previewEntry, {}, false, std::move(entry)};
    }
    [[nodiscard]] static PendingPasswordAction openEntryDirectly(ArchiveEntry entry) {
        return {Kind::openEntryDirectly, {}, false, std::move(entry)};
    }
    [[nodiscard]] static PendingPasswordAction computeChecksums(ArchiveEntry entry) {
        return {Kind::computeChecksums, {}, false, std::move(entry)};
    }
    [[nodiscard]] static PendingPasswordAction convertArchive(QString destination) {
        return {Kind::convertArchive, std::move(destination), false, std::nullopt};
    }
    [[nodiscard]] static PendingPasswordAction testArchive() {
        return {Kind::testArchive, {}, false, std::nullopt};
    }
};

}  // namespace kelvane::app
