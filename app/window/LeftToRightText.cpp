#include "window/LeftToRightText.hpp"

#include <QGuiApplication>

namespace kelvane::app::LeftToRightText {

QString isolated(const QString& text) {
    if (text.isEmpty() || QGuiApplication::layoutDirection() != Qt::RightToLeft) return text;
    return QChar(0x2066) + text + QChar(0x2069);
}

}  // namespace kelvane::app::LeftToRightText
