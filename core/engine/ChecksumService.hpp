// SHA-256 and MD5 of a file, computed in one pass over its bytes.
#pragma once

#include <filesystem>

#include "engine/ProgressHandler.hpp"
#include "model/FileChecksumReport.hpp"

namespace kelvane {

class ChecksumService final {
public:
    ChecksumService() = delete;

    // Reads the file once, in chunks of at most 1 MiB, feeding every chunk to both digests;
    // both texts are lower-case hexadecimal. Memory stays bounded whatever the file's size:
    // a large file is digested by two threads sharing three chunk buffers, so the pair costs
    // about as much time as the slower digest alone. Open and read failures are thrown as
    // std::filesystem::filesystem_error; nothing partial is returned. `onProgress`, when
    // given, hears the share of the file read so far after every chunk, on the calling thread.
    [[nodiscard]] static FileChecksumReport compute(const std::filesystem::path& file,
                                                    const ProgressHandler& onProgress = {});
};

}  // namespace kelvane
