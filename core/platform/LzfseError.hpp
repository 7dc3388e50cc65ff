// The one error every LZFSE decoding failure is reported with: malformed, truncated or
// inconsistent input, or output beyond the size the caller allows.
#pragma once

#include <stdexcept>

namespace kelvane {

class LzfseError final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace kelvane
