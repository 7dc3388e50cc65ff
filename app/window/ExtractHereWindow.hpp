// The small window of Extract Here: while the batch runs, its title, the archive being
// worked on, "Archive n of N", the archiver's progress and Cancel; when archives failed or
// were skipped, a summary naming each with its reason, and Close. It closes by itself when
// every archive was extracted. Closing it while the batch runs cancels the batch first.
#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QVBoxLayout;

namespace kelvane::app {

class BatchExtraction;
class ExtractPasswordDialog;
class MiddleElidedLabel;

class ExtractHereWindow final : public QWidget {
    Q_OBJECT

public:
    explicit ExtractHereWindow(BatchExtraction& batch, QWidget* parent = nullptr);

    static constexpr int kWidth = 440;

    [[nodiscard]] QLabel* titleLabel() const { return title_; }
    [[nodiscard]] QLabel* positionLabel() const { return position_; }
    [[nodiscard]] MiddleElidedLabel* archiveLabel() const { return archive_; }
    [[nodiscard]] QLabel* percentLabel() const { return percent_; }
    [[nodiscard]] QProgressBar* progressBar() const { return bar_; }
    [[nodiscard]] QPushButton* cancelButton() const { return cancel_; }
    [[nodiscard]] QLabel* summaryLabel() const { return summary_; }
    [[nodiscard]] QScrollArea* problemList() const { return problemList_; }
    [[nodiscard]] QPushButton* closeButton() const { return close_; }
    [[nodiscard]] ExtractPasswordDialog* passwordDialog() const { return passwordDialog_; }
    // What the summary shows, row by row: the archive's name, then its reason.
    [[nodiscard]] QStringList shownProblems() const;

signals:
    // The window has closed; the batch is over.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void refresh();
    void refreshProgress();
    void batchFinished();
    void fillProblems();
    void applyColours();
    void fitHeight();

    BatchExtraction& batch_;
    QLabel* icon_;
    QLabel* title_;
    QLabel* position_;
    QWidget* runningPart_;
    MiddleElidedLabel* archive_;
    QLabel* percent_;
    QProgressBar* bar_;
    QPushButton* cancel_;
    QWidget* summaryPart_;
    QLabel* summary_;
    QScrollArea* problemList_;
    QVBoxLayout* problemRows_;
    QPushButton* close_;
    ExtractPasswordDialog* passwordDialog_;
};

}  // namespace kelvane::app
