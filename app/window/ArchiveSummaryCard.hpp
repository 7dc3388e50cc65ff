// The card at the top of the sidebar: format badge and tags, archive and unpacked sizes,
// the share saved with its bar, and the file and folder counts.
#pragma once

#include <QRect>
#include <QString>
#include <QWidget>

#include <optional>
#include <vector>

#include "model/ArchiveInfo.hpp"

namespace kelvane::app {

class ArchiveSummaryCard final : public QWidget {
    Q_OBJECT

public:
    explicit ArchiveSummaryCard(QWidget* parent = nullptr);

    void setInfo(const ArchiveInfo& info);

    // Share of the unpacked size saved, 0 to 100; the archive's file size stands in for
    // missing packed sizes.
    [[nodiscard]] static double savedPercent(const ArchiveInfo& info);
    // Width of the bar's filled part on a track of `trackWidth`.
    [[nodiscard]] static double barWidth(double trackWidth, double saved);
    [[nodiscard]] static QColor formatBadgeColor(const QString& formatName);

    // Where each part is drawn, in the card's own coordinates, mirrored in a right-to-left
    // layout. Text boxes are as wide as their text (the unpacked size is cut short rather
    // than run into the saved share).
    struct Layout {
        QRect badge;
        std::vector<QRect> tags;
        // Per tag: its title is drawn; without room the tags show their symbol alone
        // (the card's tooltip names them all).
        std::vector<bool> tagTitles;
        QRect physical;
        QRect arrow;
        QRect unpacked;
        QRect saved;
        QRect track;
        // The file and folder counts share one line when it is wide enough; otherwise the
        // folder count takes a line of its own below (`folderCounts`, empty otherwise).
        QRect counts;
        QRect folderCounts;
    };
    [[nodiscard]] Layout layout() const;

    [[nodiscard]] QSize sizeHint() const override;
    // Taller by a line when the counts do not fit on one line at `width`.
    [[nodiscard]] bool hasHeightForWidth() const override { return true; }
    [[nodiscard]] int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Tag {
        QString icon;
        QString text;
        QColor color;
    };
    [[nodiscard]] std::vector<Tag> tags() const;
    // True when the two counts, joined, are wider than the card of `width` has room for.
    [[nodiscard]] bool countsNeedTwoLines(int width) const;

    std::optional<ArchiveInfo> info_;
};

}  // namespace kelvane::app
