#include "window/ArchiveSummaryCard.hpp"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>

#include "SymbolIcon.hpp"
#include "localization/S.hpp"
#include "model/ByteSizeFormatter.hpp"
#include "window/WindowStyle.hpp"

namespace kelvane::app {

ArchiveSummaryCard::ArchiveSummaryCard(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("summaryCard"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void ArchiveSummaryCard::setInfo(const ArchiveInfo& info) {
    info_ = info;
    updateGeometry();
    update();
}

double ArchiveSummaryCard::savedPercent(const ArchiveInfo& info) {
    const std::int64_t unpacked = info.totalUncompressedSize;
    if (unpacked < 1) return 0;
    const std::int64_t packed =
        info.totalCompressedSize < 1 ? info.physicalSize : info.totalCompressedSize;
    if (unpacked < packed) return 0;
    const double saved =
        (1.0 - static_cast<double>(packed) / static_cast<double>(unpacked)) * 100.0;
    return std::clamp(saved, 0.0, 100.0);
}

double ArchiveSummaryCard::barWidth(double trackWidth, double saved) {
    return std::max(6.0, trackWidth * (1.0 - saved / 100.0));
}

QColor ArchiveSummaryCard::formatBadgeColor(const QString& formatName) {
    const QString name = formatName.toUpper();
    if (name.contains(QLatin1String("RAR"))) return QColor::fromRgbF(0.56F, 0.22F, 0.88F);
    if (name.contains(QLatin1String("7Z")) || name.contains(QLatin1String("7-ZIP"))) {
        return QColor::fromRgbF(0.14F, 0.58F, 0.42F);
    }
    if (name.contains(QLatin1String("ZIP"))) return QColor::fromRgbF(0.14F, 0.48F, 0.94F);
    return QColor::fromRgbF(0.85F, 0.45F, 0.12F);
}

QSize ArchiveSummaryCard::sizeHint() const {
    const int line1 = QFontMetrics(WindowStyle::font(10, QFont::Bold)).height() + 5;
    const int line2 = QFontMetrics(WindowStyle::font(12, QFont::Bold)).height();
    const int line3 = QFontMetrics(WindowStyle::font(10)).height();
    return {216, 10 + line1 + 8 + line2 + 3 + 5 + 8 + line3 + 10};
}

void ArchiveSummaryCard::paintEvent(QPaintEvent* /*event*/) {
    if (!info_) return;
    const ArchiveInfo& info = *info_;
    const QPalette& pal = palette();
    const QColor primary = WindowStyle::primary(pal);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(WindowStyle::faded(primary, 0.09), 0.75));
    painter.setBrush(WindowStyle::faded(primary, 0.05));
    painter.drawRoundedRect(card, 10, 10);

    const int left = 10;
    const int right = width() - 10;
    int y = 10;

    // Badge and tags.
    const QFont badgeFont = WindowStyle::font(10, QFont::Bold);
    const QFontMetrics badgeMetrics(badgeFont);
    const int badgeHeight = badgeMetrics.height() + 5;
    const QString format = qs(info.formatName);
    const int badgeWidth = badgeMetrics.horizontalAdvance(format) + 14;
    painter.setPen(Qt::NoPen);
    painter.setBrush(formatBadgeColor(format));
    painter.drawRoundedRect(QRectF(left, y, badgeWidth, badgeHeight), badgeHeight / 2.0,
                            badgeHeight / 2.0);
    painter.setFont(badgeFont);
    painter.setPen(Qt::white);
    painter.drawText(QRect(left, y, badgeWidth, badgeHeight), Qt::AlignCenter, format);
    int x = left + badgeWidth + 6;
    const auto tag = [&](const QString& icon, const QString& text, const QColor& color) {
        const QFont tagFont = WindowStyle::font(9.5, QFont::DemiBold);
        const QFontMetrics tagMetrics(tagFont);
        const int tagWidth = 6 + 10 + 3 + tagMetrics.horizontalAdvance(text) + 6;
        painter.setPen(Qt::NoPen);
        painter.setBrush(WindowStyle::faded(color, 0.14));
        painter.drawRoundedRect(QRectF(x, y, tagWidth, badgeHeight), badgeHeight / 2.0,
                                badgeHeight / 2.0);
        SymbolIcon::bundledIcon(icon, color)
            .paint(&painter, QRect(x + 6, y + (badgeHeight - 10) / 2, 10, 10));
        painter.setFont(tagFont);
        painter.setPen(color);
        painter.drawText(QRect(x + 19, y, tagWidth - 19, badgeHeight), Qt::AlignVCenter, text);
        x += tagWidth + 6;
    };
    if (info.hasEncryptedEntries) {
        tag(QStringLiteral("lock.fill"), qs(S::statEncrypted()), WindowStyle::orange(pal));
    }
    if (info.isSolid) tag(QStringLiteral("cube.fill"), QStringLiteral("Solid"), WindowStyle::purple(pal));
    if (info.isMultiVolume) {
        tag(QStringLiteral("square.stack.fill"), QString::number(info.volumeCount) + QLatin1Char('x'),
            WindowStyle::blue(pal));
    }
    y += badgeHeight + 8;

    // Sizes and the saved share.
    const double saved = savedPercent(info);
    const QFont physicalFont = WindowStyle::font(12, QFont::Bold);
    const QFontMetrics physicalMetrics(physicalFont);
    const int lineHeight = physicalMetrics.height();
    const QString physical = qs(ByteSizeFormatter::format(info.physicalSize));
    painter.setFont(physicalFont);
    painter.setPen(primary);
    painter.drawText(QRect(left, y, right - left, lineHeight), Qt::AlignVCenter, physical);
    x = left + physicalMetrics.horizontalAdvance(physical) + 5;
    const QFont smallFont = WindowStyle::font(10);
    painter.setFont(smallFont);
    painter.setPen(WindowStyle::secondary(pal));
    const QString arrow = QStringLiteral("→");
    painter.drawText(QRect(x, y, right - x, lineHeight), Qt::AlignVCenter, arrow);
    x += QFontMetrics(smallFont).horizontalAdvance(arrow) + 5;
    const QFont unpackedFont = WindowStyle::font(11, QFont::Medium);
    painter.setFont(unpackedFont);
    painter.drawText(QRect(x, y, right - x, lineHeight), Qt::AlignVCenter,
                     qs(ByteSizeFormatter::format(info.totalUncompressedSize)));
    painter.setFont(WindowStyle::font(10.5, QFont::Bold));
    painter.setPen(saved > 5 ? WindowStyle::green(pal) : WindowStyle::secondary(pal));
    painter.drawText(QRect(left, y, right - left, lineHeight), Qt::AlignVCenter | Qt::AlignRight,
                     QString::asprintf("-%.0f%%", saved));
    y += lineHeight + 3;
    const QRectF track(left, y, right - left, 5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(WindowStyle::faded(primary, 0.10));
    painter.drawRoundedRect(track, 2.5, 2.5);
    QLinearGradient gradient(track.topLeft(), track.topRight());
    gradient.setColorAt(0, WindowStyle::blue(pal));
    gradient.setColorAt(1, WindowStyle::purple(pal));
    painter.setBrush(gradient);
    painter.drawRoundedRect(QRectF(track.left(), track.top(), barWidth(track.width(), saved), 5),
                            2.5, 2.5);
    y += 5 + 8;

    // Counts.
    painter.setFont(smallFont);
    painter.setPen(WindowStyle::secondary(pal));
    painter.drawText(QRect(left, y, right - left, QFontMetrics(smallFont).height()),
                     Qt::AlignVCenter,
                     qs(S::filesCountText(info.fileCount)) + QStringLiteral(" · ") +
                         qs(S::foldersCountText(info.folderCount)));
}

}  // namespace kelvane::app
