// The card at the top of the sidebar: format badge and tags, archive and unpacked sizes,
// the share saved with its bar, and the file and folder counts.
#pragma once

#include <QWidget>

#include <optional>

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

    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<ArchiveInfo> info_;
};

}  // namespace kelvane::app
