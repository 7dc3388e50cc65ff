// The rows of the entry table: reads the state object's displayed handles in place (no copy,
// no object per entry) and formats a cell's text only when the view asks for it.
#pragma once

#include <QAbstractTableModel>
#include <QLocale>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "index/ArchiveDirectoryIndex.hpp"
#include "index/ArchiveItemList.hpp"
#include "model/ArchiveSortField.hpp"

namespace kelvane::app {

class EntryTableModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column : int { name = 0, size, packed, ratio, modified, columnCount_ };
    // The entry's parent path under its name, when relative paths are shown.
    static constexpr int kSubtitleRole = Qt::UserRole + 1;
    static constexpr int kSymbolRole = Qt::UserRole + 2;
    static constexpr int kEncryptedRole = Qt::UserRole + 3;
    static constexpr int kIsFolderRole = Qt::UserRole + 4;

    explicit EntryTableModel(QObject* parent = nullptr);

    // One reset: `entries` must stay alive and unchanged until the next call (the state
    // object keeps its list until it announces a new one, and the view then calls again).
    void reset(const ArchiveItemList* entries, std::shared_ptr<const ArchiveDirectoryIndex> tree,
               bool showRelativePath);

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The entry on a row, or null outside the rows.
    [[nodiscard]] const ArchiveEntry* entryAt(int row) const;
    [[nodiscard]] std::size_t entryCount() const { return count_; }
    [[nodiscard]] bool showsRelativePath() const { return showRelativePath_; }

    // Column of a sort field (the kind order shows on the name column), and the field a
    // column sorts by; none for the ratio column.
    [[nodiscard]] static int columnFor(ArchiveSortField field);
    [[nodiscard]] static std::optional<ArchiveSortField> sortFieldFor(int column);
    // The ratio text and whether the saving is worth the green colour; "—" when none.
    struct RatioText {
        QString text;
        enum class Tone { tertiary, secondary, green } tone;
    };
    [[nodiscard]] static RatioText ratioText(std::int64_t unpacked, std::int64_t packedBytes);
    // The locale the Modified column writes its dates in.
    [[nodiscard]] const QLocale& dateLocale() const { return locale_; }

private:
    const ArchiveItemList* entries_ = nullptr;
    std::size_t count_ = 0;
    std::shared_ptr<const ArchiveDirectoryIndex> tree_;
    bool showRelativePath_ = false;
    QLocale locale_;
};

}  // namespace kelvane::app
