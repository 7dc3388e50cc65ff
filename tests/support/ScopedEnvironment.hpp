// Sets or clears environment variables for one test and restores them after.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace kelvane::testing {

class ScopedEnvironment final {
public:
    ScopedEnvironment() = default;
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

    void set(const std::string& name, const std::string& value);
    void unset(const std::string& name);

private:
    void remember(const std::string& name);
    std::map<std::string, std::optional<std::string>> saved_;
};

}  // namespace kelvane::testing
