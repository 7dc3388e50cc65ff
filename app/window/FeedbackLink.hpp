// Addresses of the maker's web site: the home page and the feedback page for an interface
// language, with the application, version, system and source as query items.
#pragma once

#include <QString>
#include <QUrl>

#include "localization/AppLanguage.hpp"

namespace kelvane::app {

class FeedbackLink final {
public:
    FeedbackLink() = delete;

    [[nodiscard]] static QString makerSite();
    [[nodiscard]] static QUrl homePage();
    // Invalid when the parts do not form an address.
    [[nodiscard]] static QUrl feedbackPage(AppLanguage language);
    // "Linux " and the running kernel's major.minor.patch.
    [[nodiscard]] static QString systemVersion();
};

}  // namespace kelvane::app
