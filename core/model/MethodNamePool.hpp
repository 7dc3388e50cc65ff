// Stores each distinct compression-method name once for the whole process, so
// a million entries packed with "LZMA2:24" share one text.
#pragma once

#include <string>
#include <string_view>

namespace kelvane {

class MethodNamePool final {
public:
    // The pooled copy of `name`, or null once the pool is full (hostile input
    // with millions of distinct names must not grow it without bound).
    // Pooled texts live until the process ends.
    [[nodiscard]] static const std::string* intern(std::string_view name);

    static constexpr std::size_t kCapacity = 65536;
};

}  // namespace kelvane
