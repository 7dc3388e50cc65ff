// One step of the path bar above the entry table: the text shown and the
// folder path it navigates to (empty for the root).
#pragma once

#include <string>

namespace kelvane {

struct ArchiveBreadcrumb {
    std::string title;
    std::string path;

    friend bool operator==(const ArchiveBreadcrumb&, const ArchiveBreadcrumb&) = default;
};

}  // namespace kelvane
