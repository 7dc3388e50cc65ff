// libFuzzer entry point for the LZFSE decoder: any input must either decode or throw
// LzfseError, never crash, overrun a buffer, hang or exhaust memory.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/LzfseDecoder.hpp"

namespace {

// Small enough that libFuzzer's memory limit only ever trips on a real leak or bomb.
constexpr std::size_t kMaximumOutputSize = std::size_t{64} << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const auto decoded =
            kelvane::LzfseDecoder::decode(std::span(data, size), kMaximumOutputSize);
        if (decoded.size() > kMaximumOutputSize) {
            __builtin_trap();
        }
    } catch (const kelvane::LzfseError&) {
        // Rejecting hostile input is the expected outcome.
    }
    return 0;
}
