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
        QRect counts;
    };
    [[nodiscard]] Layout layout() const;

    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Tag {
        QString icon;
        QString text;
        QColor color;
    };
    [[nodiscard]] std::vector<Tag> tags() const;

    std::optional<ArchiveInfo> info_;
};

}  // namespace kelvane::app
