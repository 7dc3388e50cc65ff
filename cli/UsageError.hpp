// A command line that cannot be run as written; reported with exit status 2.
#pragma once

#include <stdexcept>
#include <string>

namespace kelvane::cli {

class UsageError final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace kelvane::cli
