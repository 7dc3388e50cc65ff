// SHA-256 and MD5 of one entry's data, as lower-case hexadecimal text.
#pragma once

#include <cstdint>
#include <string>

namespace kelvane {

struct FileChecksumReport {
    std::string sha256;
    std::string md5;
    std::int64_t byteCount = 0;

    friend bool operator==(const FileChecksumReport&, const FileChecksumReport&) = default;
};

}  // namespace kelvane
