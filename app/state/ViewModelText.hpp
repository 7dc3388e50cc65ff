// Interface texts for the state object: an English/Turkish pair resolved for the current
// language, as a QString.
#pragma once

#include <QString>

#include <string_view>

#include "localization/S.hpp"

namespace kelvane::app {

struct ViewModelText final {
    [[nodiscard]] static QString t(std::string_view en, std::string_view tr) {
        return QString::fromStdString(S::t(en, tr));
    }
    [[nodiscard]] static QString from(const std::string& text) {
        return QString::fromStdString(text);
    }
};

}  // namespace kelvane::app
