// One open archive in its tab: the listing it shows and the browsing state it had when the
// user last left it.
#pragma once

#include <QSet>
#include <QString>
#include <QUuid>

#include <cstdint>
#include <optional>
#include <string>

#include "model/ArchiveFilterKind.hpp"
#include "model/ArchiveListing.hpp"
#include "model/ArchiveSortField.hpp"
#include "state/EntrySelection.hpp"

namespace kelvane::app {

struct ArchiveTabSession {
    QUuid id;
    // The archive's file name.
    QString title;
    // The archive's path as its listing reports it.
    QString url;
    ArchiveListing listing;

    QString currentFolderPath;
    EntrySelection selectedEntryIDs;
    // The byte total of that selection when it was saved; the selection and the listing
    // never change while kept, so switching back needs no new count over a million entries.
    std::int64_t selectedTotalBytes = 0;
    QString searchQuery;
    ArchiveFilterKind filterKind = ArchiveFilterKind::all;
    ArchiveSortField sortField = ArchiveSortField::name;
    bool sortAscending = true;
    QSet<QString> expandedFolders;
    std::optional<std::string> sessionPassword;

    // The tab's own folder for extracted previews, below the session's cache root.
    QString cacheDir;
};

}  // namespace kelvane::app
