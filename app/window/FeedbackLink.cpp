#include "window/FeedbackLink.hpp"

#include <QRegularExpression>
#include <QUrlQuery>

#include <sys/utsname.h>

#include "window/WindowStyle.hpp"

namespace kelvane::app {

QString FeedbackLink::makerSite() { return QStringLiteral(KELVANE_MAKER_SITE); }

QUrl FeedbackLink::homePage() { return QUrl(makerSite()); }

QString FeedbackLink::systemVersion() {
    utsname system{};
    QString release;
    if (uname(&system) == 0) release = QString::fromUtf8(system.release);
    const QRegularExpressionMatch parts =
        QRegularExpression(QStringLiteral("^(\\d+)(?:\\.(\\d+))?(?:\\.(\\d+))?")).match(release);
    const auto part = [&](int n) {
        const QString text = parts.captured(n);
        return text.isEmpty() ? QStringLiteral("0") : text;
    };
    return QStringLiteral("Linux ") + part(1) + QLatin1Char('.') + part(2) + QLatin1Char('.') +
           part(3);
}

QUrl FeedbackLink::feedbackPage(AppLanguage language) {
    const QString code = qs(language.rawValue());
    const QString path = code == QLatin1String("tr") ? QStringLiteral("/tr/geri-bildirim")
                                                      : QLatin1Char('/') + code +
                                                            QStringLiteral("/feedback");
    QUrl address(makerSite() + path);
    if (!address.isValid() || address.scheme().isEmpty()) return {};
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("app"), QStringLiteral("kelvane"));
    query.addQueryItem(QStringLiteral("version"), QStringLiteral(KELVANE_VERSION));
    query.addQueryItem(QStringLiteral("os"), systemVersion());
    query.addQueryItem(QStringLiteral("source"), QStringLiteral("desktop_app"));
    address.setQuery(query);
    return address.isValid() ? address : QUrl();
}

}  // namespace kelvane::app
