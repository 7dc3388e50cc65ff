// The part the create and convert sheets share, bound to the state object's create
// options: format chips, compression level, volume-size chips (only for formats that can
// split) and the password block (only for formats that encrypt). Choosing a format clears
// at once what the new format cannot do, so a hidden control never carries a stale value.
#pragma once

#include <QWidget>

#include <cstddef>
#include <functional>
#include <vector>

#include "model/ArchiveCreateFormat.hpp"
#include "model/CreateArchiveOptions.hpp"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;

namespace kelvane::app {

class ArchiveViewModel;
class ChipButton;

class ArchiveOptionsEditor final : public QWidget {
    Q_OBJECT

public:
    explicit ArchiveOptionsEditor(ArchiveViewModel& viewModel, QWidget* parent = nullptr);

    // The options the state object holds after choosing `format` in `options`.
    [[nodiscard]] static CreateArchiveOptions withFormat(CreateArchiveOptions options,
                                                         ArchiveCreateFormat format);

    // Re-reads the options; blocks appear or disappear.
    void refresh();

    [[nodiscard]] ChipButton* formatChip(ArchiveCreateFormat format) const;
    [[nodiscard]] ChipButton* splitChip(std::size_t position) const;
    [[nodiscard]] QComboBox* compressionPicker() const { return compression_; }
    [[nodiscard]] QWidget* splitChooser() const { return splitBlock_; }
    [[nodiscard]] QWidget* encryptionBlock() const { return encryptionBlock_; }
    [[nodiscard]] QLineEdit* passwordField() const { return password_; }
    [[nodiscard]] QCheckBox* encryptNamesToggle() const { return encryptNames_; }

signals:
    // A block appeared or disappeared; the sheet fits its height.
    void layoutChanged();

private:
    void edit(const std::function<void(CreateArchiveOptions&)>& change);

    ArchiveViewModel& viewModel_;
    std::vector<ChipButton*> formatChips_;
    std::vector<ChipButton*> splitChips_;
    QComboBox* compression_;
    QWidget* splitBlock_;
    QWidget* encryptionBlock_;
    QLineEdit* password_;
    QCheckBox* encryptNames_;
};

}  // namespace kelvane::app
