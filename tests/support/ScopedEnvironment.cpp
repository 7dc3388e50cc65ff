#include "ScopedEnvironment.hpp"

#include <cstdlib>

#include "localization/AppLanguage.hpp"

namespace kelvane::testing {

ScopedEnvironment::~ScopedEnvironment() {
    for (const auto& [name, value] : saved_) {
        if (value) {
            ::setenv(name.c_str(), value->c_str(), 1);
        } else {
            ::unsetenv(name.c_str());
        }
    }
    // The interface language is worked out from the environment once and kept.
    AppLanguage::reloadCurrent();
}

void ScopedEnvironment::remember(const std::string& name) {
    if (saved_.count(name) != 0) return;
    const char* current = std::getenv(name.c_str());
    saved_[name] = current ? std::optional<std::string>(current) : std::nullopt;
}

void ScopedEnvironment::set(const std::string& name, const std::string& value) {
    remember(name);
    ::setenv(name.c_str(), value.c_str(), 1);
    AppLanguage::reloadCurrent();
}

void ScopedEnvironment::unset(const std::string& name) {
    remember(name);
    ::unsetenv(name.c_str());
    AppLanguage::reloadCurrent();
}

}  // namespace kelvane::testing
