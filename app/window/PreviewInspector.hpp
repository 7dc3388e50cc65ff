// The right column of the browsing layout: for one selected entry its identity, the inline
// preview the state object has prepared (image, text, first PDF page, or a notice), actions,
// metadata with copy buttons and checksums; for several a summary with bulk actions; for
// none a hint. It follows the state object's published values and has no state of its own.
#pragma once

#include <QWidget>

class QScrollArea;
class QLabel;

namespace kelvane {
class ArchiveEntry;
}

namespace kelvane::app {

class ArchiveViewModel;

class PreviewInspector final : public QWidget {
    Q_OBJECT

public:
    static constexpr int kPanelWidth = 310;
    static constexpr int kContentWidth = 282;

    explicit PreviewInspector(ArchiveViewModel& viewModel, QWidget* parent = nullptr);

    // Rebuilds the content from the state object now (changes otherwise coalesce into one
    // rebuild when control returns to the event loop).
    void refresh();
    void retranslate();
    // The content built last (for tests: its children carry object names per case).
    [[nodiscard]] QWidget* content() const { return content_; }

private:
    void scheduleRefresh();
    QWidget* buildSingleEntry(const ArchiveEntry& entry);
    QWidget* buildPreviewStage(const ArchiveEntry& entry);
    QWidget* buildMultiSelection();
    QWidget* buildEmptySelection();
    QWidget* metaRow(const QString& label, const QString& value, bool copyable);
    void copyText(const QString& text);

    ArchiveViewModel& viewModel_;
    QLabel* title_;
    QScrollArea* scroller_;
    QWidget* content_ = nullptr;
    bool refreshPending_ = false;
};

}  // namespace kelvane::app
