#include "window/EntryTableModel.hpp"

#include <QApplication>
#include <QDateTime>
#include <QPalette>

#include <chrono>
#include <limits>

#include "localization/S.hpp"
#include "model/ByteSizeFormatter.hpp"
#include "window/LeftToRightText.hpp"
#include "window/WindowStyle.hpp"

namespace kelvane::app {

EntryTableModel::EntryTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void EntryTableModel::reset(const ArchiveItemList* entries,
                            std::shared_ptr<const ArchiveDirectoryIndex> tree,
                            bool showRelativePath) {
    beginResetModel();
    entries_ = entries;
    count_ = entries != nullptr ? entries->size() : 0;
    tree_ = std::move(tree);
    showRelativePath_ = showRelativePath;
    endResetModel();
}

int EntryTableModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return static_cast<int>(std::min<std::size_t>(count_, std::numeric_limits<int>::max()));
}

int EntryTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columnCount_;
}

const ArchiveEntry* EntryTableModel::entryAt(int row) const {
    if (entries_ == nullptr || row < 0 || static_cast<std::size_t>(row) >= count_ ||
        static_cast<std::size_t>(row) >= entries_->size()) {
        return nullptr;
    }
    return &(*entries_)[static_cast<std::size_t>(row)];
}

Qt::ItemFlags EntryTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

EntryTableModel::RatioText EntryTableModel::ratioText(std::int64_t unpacked,
                                                      std::int64_t packedBytes) {
    if (unpacked < 1 || unpacked < packedBytes) {
        return {QStringLiteral("—"), RatioText::Tone::tertiary};
    }
    const double saved =
        (1.0 - static_cast<double>(packedBytes) / static_cast<double>(unpacked)) * 100.0;
    if (saved < 1.0) return {QStringLiteral("—"), RatioText::Tone::secondary};
    return {QString::asprintf("%.0f%%", saved),
            saved >= 20.0 ? RatioText::Tone::green : RatioText::Tone::secondary};
}

QVariant EntryTableModel::data(const QModelIndex& index, int role) const {
    const ArchiveEntry* entry = entryAt(index.row());
    if (entry == nullptr) return {};
    const int column = index.column();
    const std::int64_t bytes =
        tree_ ? tree_->effectiveSize(*entry) : entry->uncompressedSize();
    const std::int64_t packedSize =
        tree_ ? tree_->effectivePackedSize(*entry) : entry->compressedSize();
    const QPalette palette = QApplication::palette();
    switch (role) {
        case Qt::DisplayRole:
            switch (column) {
                case name: return qs(entry->name());
                case size: return LeftToRightText::isolated(qs(ByteSizeFormatter::format(bytes)));
                case packed:
                    return LeftToRightText::isolated(qs(ByteSizeFormatter::format(packedSize)));
                case ratio: return ratioText(bytes, packedSize).text;
                case modified: {
                    const auto date = entry->modifiedDate();
                    if (!date) return QStringLiteral("—");
                    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        date->time_since_epoch());
                    return LeftToRightText::isolated(locale_.toString(
                        QDateTime::fromMSecsSinceEpoch(ms.count()), QLocale::ShortFormat));
                }
                default: return {};
            }
        case Qt::ToolTipRole:
            if (column == name) return qs(entry->id());
            return {};
        case Qt::TextAlignmentRole:
            if (column == name) return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        case Qt::FontRole:
            switch (column) {
                case name:
                    return WindowStyle::font(12, entry->isDirectory() ? QFont::DemiBold
                                                                      : QFont::Normal);
                case size: return WindowStyle::font(11.5);
                case packed: return WindowStyle::font(11);
                case ratio: return WindowStyle::font(10.5, QFont::Medium);
                case modified: return WindowStyle::font(10.5);
                default: return {};
            }
        case Qt::ForegroundRole:
            switch (column) {
                case packed:
                case modified: return WindowStyle::secondary(palette);
                case ratio:
                    switch (ratioText(bytes, packedSize).tone) {
                        case RatioText::Tone::tertiary: return WindowStyle::tertiary(palette);
                        case RatioText::Tone::secondary: return WindowStyle::secondary(palette);
                        case RatioText::Tone::green: return WindowStyle::green(palette);
                    }
                    return {};
                default: return {};
            }
        case kSubtitleRole:
            if (showRelativePath_ && !entry->parentPath().empty()) return qs(entry->parentPath());
            return {};
        case kSymbolRole: return qs(entry->sfSymbolName());
        case kEncryptedRole: return entry->isEncrypted();
        case kIsFolderRole: return entry->isDirectory();
        default: return {};
    }
}

QVariant EntryTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return {};
    switch (role) {
        case Qt::DisplayRole:
            switch (section) {
                case name: return qs(S::colName());
                case size: return qs(S::colSize());
                case packed: return qs(S::colPacked());
                case ratio: return qs(S::colRatio());
                case modified: return qs(S::colModified());
                default: return {};
            }
        case Qt::TextAlignmentRole:
            return section == name ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                   : QVariant(Qt::AlignRight | Qt::AlignVCenter);
        case Qt::InitialSortOrderRole: return static_cast<int>(Qt::AscendingOrder);
        default: return {};
    }
}

int EntryTableModel::columnFor(ArchiveSortField field) {
    switch (field.value()) {
        case ArchiveSortField::size: return size;
        case ArchiveSortField::packedSize: return packed;
        case ArchiveSortField::modified: return modified;
        case ArchiveSortField::name:
        case ArchiveSortField::kind: return name;
    }
    return name;
}

std::optional<ArchiveSortField> EntryTableModel::sortFieldFor(int column) {
    switch (column) {
        case name: return ArchiveSortField(ArchiveSortField::name);
        case size: return ArchiveSortField(ArchiveSortField::size);
        case packed: return ArchiveSortField(ArchiveSortField::packedSize);
        case modified: return ArchiveSortField(ArchiveSortField::modified);
        default: return std::nullopt;
    }
}

}  // namespace kelvane::app
