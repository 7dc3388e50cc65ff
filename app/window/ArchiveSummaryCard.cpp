#include "window/ArchiveSummaryCard.hpp"

#include <QLinearGradient>
#include <QPainter>
#include <QStyle>
#include <QTextOption>

#include <algorithm>
#include <cmath>

#include "SymbolIcon.hpp"
#include "localization/S.hpp"
#include "model/ByteSizeFormatter.hpp"
#include "window/WindowStyle.hpp"

namespace kelvane::app {

namespace {

constexpr int kMargin = 10;
constexpr int kGap = 5;
// Between the sizes and the saved share at the far end of the line.
constexpr int kSavedGap = 8;

QFont badgeFont() { return WindowStyle::font(10, QFont::Bold); }
QFont tagFont() { return WindowStyle::font(9.5, QFont::DemiBold); }
QFont physicalFont() { return WindowStyle::font(12, QFont::Bold); }
QFont arrowFont() { return WindowStyle::font(10); }
QFont unpackedFont() { return WindowStyle::font(11, QFont::Medium); }
QFont savedFont() { return WindowStyle::font(10.5, QFont::Bold); }
QFont countsFont() { return WindowStyle::font(10); }

// Rounded up: a box of the rounded-down width makes the eliding think the text does not fit.
int advance(const QFont& font, const QString& text) {
    return static_cast<int>(std::ceil(QFontMetricsF(font).horizontalAdvance(text)));
}

QString savedText(double saved) { return QString::asprintf("-%.0f%%", saved); }
QString filesText(const ArchiveInfo& info) { return qs(S::filesCountText(info.fileCount)); }
QString foldersText(const ArchiveInfo& info) { return qs(S::foldersCountText(info.folderCount)); }
QString countsText(const ArchiveInfo& info) {
    return filesText(info) + QStringLiteral(" · ") + foldersText(info);
}
QString arrowText() { return QStringLiteral("→"); }

// Sizes and the share read left to right, each in its box, whatever the window's direction.
void drawLeftToRight(QPainter& painter, const QRect& box, const QString& text) {
    QTextOption option(Qt::AlignAbsolute | Qt::AlignLeft | Qt::AlignVCenter);
    option.setTextDirection(Qt::LeftToRight);
    option.setWrapMode(QTextOption::NoWrap);
    painter.drawText(QRectF(box), text, option);
}

}  // namespace

ArchiveSummaryCard::ArchiveSummaryCard(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("summaryCard"));
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void ArchiveSummaryCard::setInfo(const ArchiveInfo& info) {
    info_ = info;
    QStringList names;
    for (const Tag& tag : tags()) names << tag.text;
    setToolTip(names.join(QStringLiteral(" · ")));
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
    constexpr int kWidth = 216;
    return {kWidth, heightForWidth(kWidth)};
}

int ArchiveSummaryCard::heightForWidth(int width) const {
    const int line1 = QFontMetrics(badgeFont()).height() + 5;
    const int line2 = QFontMetrics(physicalFont()).height();
    const int line3 = QFontMetrics(countsFont()).height();
    const int folderLine = countsNeedTwoLines(width) ? line3 : 0;
    return kMargin + line1 + 8 + line2 + 3 + 5 + 8 + line3 + folderLine + kMargin;
}

// Counts grow with the archive and read longer in some languages ("123.456 de fișiere");
// cut short they would lose the number, so the folder count moves to a line below.
bool ArchiveSummaryCard::countsNeedTwoLines(int width) const {
    return info_ && advance(countsFont(), countsText(*info_)) > width - 2 * kMargin;
}

std::vector<ArchiveSummaryCard::Tag> ArchiveSummaryCard::tags() const {
    std::vector<Tag> result;
    if (!info_) return result;
    const QPalette& pal = palette();
    if (info_->hasEncryptedEntries) {
        result.push_back({QStringLiteral("lock.fill"), qs(S::statEncrypted()), WindowStyle::orange(pal)});
    }
    if (info_->isSolid) {
        result.push_back({QStringLiteral("cube.fill"), QStringLiteral("Solid"), WindowStyle::purple(pal)});
    }
    if (info_->isMultiVolume) {
        result.push_back({QStringLiteral("square.stack.fill"),
                          QString::number(info_->volumeCount) + QLatin1Char('x'), WindowStyle::blue(pal)});
    }
    return result;
}

ArchiveSummaryCard::Layout ArchiveSummaryCard::layout() const {
    Layout layout;
    if (!info_) return layout;
    const ArchiveInfo& info = *info_;
    const int left = kMargin;
    const int right = width() - kMargin;
    // Laid out left to right, then mirrored as a whole for a right-to-left window.
    const auto place = [this](const QRect& logical) {
        return QStyle::visualRect(layoutDirection(), rect(), logical);
    };
    int y = kMargin;

    const int badgeHeight = QFontMetrics(badgeFont()).height() + 5;
    const int badgeWidth = advance(badgeFont(), qs(info.formatName)) + 14;
    layout.badge = place(QRect(left, y, badgeWidth, badgeHeight));
    int x = left + badgeWidth + 6;
    const std::vector<Tag> shownTags = tags();
    std::vector<int> widths;
    for (const Tag& tag : shownTags) widths.push_back(6 + 10 + 3 + advance(tagFont(), tag.text) + 6);
    layout.tagTitles.assign(shownTags.size(), true);
    const auto total = [&] {
        int sum = 0;
        for (const int tagWidth : widths) sum += tagWidth + 6;
        return sum;
    };
    // Too many or too long titles for the line: the first tags give up theirs first.
    for (std::size_t i = 0; i < widths.size() && x + total() - 6 > right; ++i) {
        widths[i] = 6 + 10 + 6;
        layout.tagTitles[i] = false;
    }
    for (const int tagWidth : widths) {
        if (x + tagWidth > right) {
            layout.tagTitles.resize(layout.tags.size());
            break;
        }
        layout.tags.push_back(place(QRect(x, y, tagWidth, badgeHeight)));
        x += tagWidth + 6;
    }
    y += badgeHeight + 8;

    const int lineHeight = QFontMetrics(physicalFont()).height();
    const QString physical = qs(ByteSizeFormatter::format(info.physicalSize));
    const QString unpacked = qs(ByteSizeFormatter::format(info.totalUncompressedSize));
    const int savedWidth = advance(savedFont(), savedText(savedPercent(info)));
    const int savedLeft = right - savedWidth;
    layout.saved = place(QRect(savedLeft, y, savedWidth, lineHeight));
    const int physicalWidth = std::min(advance(physicalFont(), physical), savedLeft - kSavedGap - left);
    layout.physical = place(QRect(left, y, physicalWidth, lineHeight));
    x = left + physicalWidth + kGap;
    const int arrowWidth = advance(arrowFont(), arrowText());
    layout.arrow = place(QRect(x, y, arrowWidth, lineHeight));
    x += arrowWidth + kGap;
    const int unpackedWidth =
        std::max(0, std::min(advance(unpackedFont(), unpacked), savedLeft - kSavedGap - x));
    layout.unpacked = place(QRect(x, y, unpackedWidth, lineHeight));
    y += lineHeight + 3;

    layout.track = place(QRect(left, y, right - left, 5));
    y += 5 + 8;
    const int countsHeight = QFontMetrics(countsFont()).height();
    layout.counts = place(QRect(left, y, right - left, countsHeight));
    if (countsNeedTwoLines(width())) {
        layout.folderCounts = place(QRect(left, y + countsHeight, right - left, countsHeight));
    }
    return layout;
}

void ArchiveSummaryCard::paintEvent(QPaintEvent* /*event*/) {
    if (!info_) return;
    const ArchiveInfo& info = *info_;
    const Layout parts = layout();
    const QPalette& pal = palette();
    const QColor primary = WindowStyle::primary(pal);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(WindowStyle::faded(primary, 0.09), 0.75));
    painter.setBrush(WindowStyle::faded(primary, 0.05));
    painter.drawRoundedRect(card, 10, 10);

    // Badge and tags.
    const QString format = qs(info.formatName);
    const double round = parts.badge.height() / 2.0;
    painter.setPen(Qt::NoPen);
    painter.setBrush(formatBadgeColor(format));
    painter.drawRoundedRect(QRectF(parts.badge), round, round);
    painter.setFont(badgeFont());
    painter.setPen(Qt::white);
    painter.drawText(parts.badge, Qt::AlignCenter, format);
    const bool mirrored = layoutDirection() == Qt::RightToLeft;
    const std::vector<Tag> shownTags = tags();
    for (std::size_t i = 0; i < shownTags.size() && i < parts.tags.size(); ++i) {
        const Tag& tag = shownTags[i];
        const QRect box = parts.tags[i];
        painter.setPen(Qt::NoPen);
        painter.setBrush(WindowStyle::faded(tag.color, 0.14));
        painter.drawRoundedRect(QRectF(box), round, round);
        // The symbol leads: at the left, or at the right when mirrored.
        const int iconX = mirrored ? box.right() - 6 - 10 + 1 : box.left() + 6;
        SymbolIcon::bundledIcon(tag.icon, tag.color)
            .paint(&painter, QRect(iconX, box.top() + (box.height() - 10) / 2, 10, 10));
        if (!parts.tagTitles[i]) continue;
        painter.setFont(tagFont());
        painter.setPen(tag.color);
        const QRect textBox = mirrored ? box.adjusted(6, 0, -19, 0) : box.adjusted(19, 0, -6, 0);
        painter.drawText(textBox, Qt::AlignVCenter | Qt::AlignHCenter, tag.text);
    }

    // Sizes and the saved share.
    const double saved = savedPercent(info);
    painter.setFont(physicalFont());
    painter.setPen(primary);
    drawLeftToRight(painter, parts.physical,
                    QFontMetrics(physicalFont())
                        .elidedText(qs(ByteSizeFormatter::format(info.physicalSize)),
                                    Qt::ElideRight, parts.physical.width()));
    painter.setFont(arrowFont());
    painter.setPen(WindowStyle::secondary(pal));
    // The arrow points from the packed size to the unpacked one: leftwards when mirrored.
    painter.drawText(parts.arrow, Qt::AlignCenter, mirrored ? QStringLiteral("←") : arrowText());
    painter.setFont(unpackedFont());
    drawLeftToRight(painter, parts.unpacked,
                    QFontMetrics(unpackedFont())
                        .elidedText(qs(ByteSizeFormatter::format(info.totalUncompressedSize)),
                                    Qt::ElideRight, parts.unpacked.width()));
    painter.setFont(savedFont());
    painter.setPen(saved > 5 ? WindowStyle::green(pal) : WindowStyle::secondary(pal));
    drawLeftToRight(painter, parts.saved, savedText(saved));

    const QRectF track(parts.track);
    painter.setPen(Qt::NoPen);
    painter.setBrush(WindowStyle::faded(primary, 0.10));
    painter.drawRoundedRect(track, 2.5, 2.5);
    // The filled part starts where the line of text starts: at the right when mirrored.
    const double filled = barWidth(track.width(), saved);
    const QRectF bar(mirrored ? track.right() - filled : track.left(), track.top(), filled,
                     track.height());
    QLinearGradient gradient(mirrored ? track.topRight() : track.topLeft(),
                             mirrored ? track.topLeft() : track.topRight());
    gradient.setColorAt(0, WindowStyle::blue(pal));
    gradient.setColorAt(1, WindowStyle::purple(pal));
    painter.setBrush(gradient);
    painter.drawRoundedRect(bar, 2.5, 2.5);

    // Counts: a sentence of the interface language, aligned to the leading edge.
    painter.setFont(countsFont());
    painter.setPen(WindowStyle::secondary(pal));
    if (parts.folderCounts.isEmpty()) {
        painter.drawText(parts.counts, Qt::AlignVCenter | Qt::AlignLeft, countsText(info));
    } else {
        painter.drawText(parts.counts, Qt::AlignVCenter | Qt::AlignLeft, filesText(info));
        painter.drawText(parts.folderCounts, Qt::AlignVCenter | Qt::AlignLeft, foldersText(info));
    }
}

}  // namespace kelvane::app
