// The toolbar row at the top of the window: emblem, open and create, the archive actions
// while one is open, the panel toggles, the feedback button and the language menu.
#pragma once

#include <QWidget>

class QLabel;
class QMenu;

namespace kelvane::app {

class ArchiveViewModel;
class PillButton;

class WorkspaceToolbar final : public QWidget {
    Q_OBJECT

public:
    explicit WorkspaceToolbar(ArchiveViewModel& viewModel, QWidget* parent = nullptr);

    void retranslate();
    // Short code shown on the language button: "PT", "PT-PT", "ZH", "ZH-TW", "EN", …
    [[nodiscard]] QString languageCode() const;
    [[nodiscard]] QMenu* languageMenu() const { return languageMenu_; }

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void refresh();
    void rebuildLanguageMenu();
    // Where the row is too narrow for every title (long languages, a narrow window), the
    // least needed buttons show their symbol alone, one at a time, until the row fits.
    void fitTitles();
    [[nodiscard]] int widthNeeded() const;
    PillButton* textButton(const QString& objectName, const QString& symbol);
    PillButton* iconButton(const QString& objectName, const QString& symbol);

    ArchiveViewModel& viewModel_;
    QLabel* emblem_;
    PillButton* open_;
    PillButton* create_;
    QWidget* archiveGroup_;
    PillButton* extractAll_;
    PillButton* extractSelected_;
    PillButton* extractHere_;
    QWidget* modifySeparator_;
    PillButton* addFiles_;
    PillButton* deleteSelected_;
    PillButton* test_;
    PillButton* convert_;
    PillButton* quickLook_;
    PillButton* sidebarToggle_;
    PillButton* previewToggle_;
    PillButton* maker_;
    PillButton* feedback_;
    PillButton* language_;
    QMenu* languageMenu_;
};

}  // namespace kelvane::app
