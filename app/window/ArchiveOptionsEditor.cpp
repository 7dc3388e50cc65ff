#include "window/ArchiveOptionsEditor.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "localization/S.hpp"
#include "state/ArchiveViewModel.hpp"
#include "window/LeftToRightText.hpp"
#include "window/ChipButton.hpp"
#include "window/SheetFonts.hpp"

namespace kelvane::app {
namespace {

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

QLabel* sectionLabel(const std::string& value, QWidget* parent) {
    auto* label = new QLabel(text(value), parent);
    label->setFont(SheetFonts::caption(QFont::DemiBold));
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

}  // namespace

ArchiveOptionsEditor::ArchiveOptionsEditor(ArchiveViewModel& viewModel, QWidget* parent)
    : QWidget(parent),
      viewModel_(viewModel),
      compression_(new QComboBox(this)),
      splitBlock_(new QWidget(this)),
      encryptionBlock_(new QWidget(this)),
      password_(new QLineEdit(this)),
      encryptNames_(new QCheckBox(this)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(14);

    // Format chips.
    auto* formatBlock = new QVBoxLayout;
    formatBlock->setSpacing(5);
    formatBlock->addWidget(sectionLabel(S::archiveFormatLabel(), this));
    auto* formatRow = new QHBoxLayout;
    formatRow->setSpacing(5);
    for (const ArchiveCreateFormat format : ArchiveCreateFormat::allCases()) {
        const std::string_view extension = format.fileExtension();
        auto* chip = new ChipButton(
            QString::fromUtf8(extension.data(), static_cast<qsizetype>(extension.size())).toUpper(),
            {}, this);
        connect(chip, &ChipButton::clicked, this, [this, format] {
            viewModel_.setCreateOptions(withFormat(viewModel_.createOptions(), format));
        });
        formatChips_.push_back(chip);
        formatRow->addWidget(chip, 1);
    }
    formatBlock->addLayout(formatRow);
    column->addLayout(formatBlock);

    // Compression picker.
    auto* compressionRow = new QHBoxLayout;
    auto* compressionTitle = new QLabel(text(S::compressionLevelLabel()), this);
    compressionTitle->setBuddy(compression_);
    compressionRow->addWidget(compressionTitle);
    for (const CompressionLevel level : CompressionLevel::allCases()) {
        compression_->addItem(text(S::compressionLabel(level)));
    }
    compression_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    compressionRow->addWidget(compression_, 1);
    connect(compression_, &QComboBox::activated, this, [this](int index) {
        edit([index](CreateArchiveOptions& options) {
            options.compressionLevel = CompressionLevel::allCases()[static_cast<std::size_t>(index)];
        });
    });
    column->addLayout(compressionRow);

    // Volume-size chips.
    auto* splitColumn = new QVBoxLayout(splitBlock_);
    splitColumn->setContentsMargins(0, 0, 0, 0);
    splitColumn->setSpacing(5);
    splitColumn->addWidget(sectionLabel(S::splitVolumesLabel(), splitBlock_));
    auto* splitRow = new QHBoxLayout;
    splitRow->setSpacing(5);
    for (const VolumeSplitPreset preset : VolumeSplitPreset::allCases()) {
        // "100 MB" keeps its order in a right-to-left window; "Single File" is a word.
        const QString label = preset == VolumeSplitPreset::none
                                  ? text(preset.displayLabel())
                                  : LeftToRightText::isolated(text(preset.displayLabel()));
        auto* chip = new ChipButton(label,
                                    {.pointSize = 10.5,
                                     .selectedWeight = QFont::DemiBold,
                                     .normalWeight = QFont::Normal,
                                     .cornerRadius = 6,
                                     .verticalPadding = 5},
                                    splitBlock_);
        connect(chip, &ChipButton::clicked, this, [this, preset] {
            edit([preset](CreateArchiveOptions& options) { options.volumeSplit = preset; });
        });
        splitChips_.push_back(chip);
        splitRow->addWidget(chip, 1);
    }
    splitColumn->addLayout(splitRow);
    column->addWidget(splitBlock_);

    // Password block.
    auto* encryptionColumn = new QVBoxLayout(encryptionBlock_);
    encryptionColumn->setContentsMargins(0, 0, 0, 0);
    encryptionColumn->setSpacing(6);
    encryptionColumn->addWidget(sectionLabel(S::encryptPasswordLabel(), encryptionBlock_));
    password_->setEchoMode(QLineEdit::Password);
    password_->setPlaceholderText(QStringLiteral("••••••••"));
    password_->setClearButtonEnabled(false);
    encryptionColumn->addWidget(password_);
    connect(password_, &QLineEdit::textEdited, this, [this](const QString& typed) {
        edit([&typed](CreateArchiveOptions& options) { options.password = typed.toStdString(); });
    });
    encryptNames_->setText(QString::fromStdString(S::encryptNamesToggle()).replace(QLatin1Char('&'), QStringLiteral("&&")));
    encryptNames_->setFont(SheetFonts::caption());
    encryptionColumn->addWidget(encryptNames_);
    connect(encryptNames_, &QCheckBox::toggled, this, [this](bool on) {
        edit([on](CreateArchiveOptions& options) { options.encryptFileNames = on; });
    });
    column->addWidget(encryptionBlock_);

    connect(&viewModel_, &ArchiveViewModel::createOptionsChanged, this,
            &ArchiveOptionsEditor::refresh);
    refresh();
}

CreateArchiveOptions ArchiveOptionsEditor::withFormat(CreateArchiveOptions options,
                                                      ArchiveCreateFormat format) {
    options.format = format;
    if (!format.supportsEncryption()) {
        options.password.clear();
        options.encryptFileNames = false;
    }
    if (!format.supportsSplitVolumes()) options.volumeSplit = VolumeSplitPreset::none;
    return options;
}

void ArchiveOptionsEditor::edit(const std::function<void(CreateArchiveOptions&)>& change) {
    CreateArchiveOptions options = viewModel_.createOptions();
    change(options);
    viewModel_.setCreateOptions(options);
}

ChipButton* ArchiveOptionsEditor::formatChip(ArchiveCreateFormat format) const {
    return formatChips_[format.ordinal()];
}

ChipButton* ArchiveOptionsEditor::splitChip(std::size_t position) const {
    return splitChips_.at(position);
}

void ArchiveOptionsEditor::refresh() {
    const CreateArchiveOptions& options = viewModel_.createOptions();
    for (std::size_t i = 0; i < formatChips_.size(); ++i) {
        formatChips_[i]->setChecked(i == options.format.ordinal());
    }
    for (std::size_t i = 0; i < splitChips_.size(); ++i) {
        splitChips_[i]->setChecked(i == options.volumeSplit.ordinal());
    }
    {
        const QSignalBlocker quiet(compression_);
        compression_->setCurrentIndex(static_cast<int>(options.compressionLevel.ordinal()));
    }
    const QString password = QString::fromStdString(options.password);
    if (password_->text() != password) password_->setText(password);
    {
        const QSignalBlocker quiet(encryptNames_);
        encryptNames_->setChecked(options.encryptFileNames);
    }
    const bool splitVisible = options.format.supportsSplitVolumes();
    const bool encryptionVisible = options.format.supportsEncryption();
    const bool namesVisible =
        options.format == ArchiveCreateFormat::sevenZ && !options.password.empty();
    const bool changed = splitBlock_->isVisibleTo(this) != splitVisible ||
                         encryptionBlock_->isVisibleTo(this) != encryptionVisible ||
                         encryptNames_->isVisibleTo(this) != namesVisible;
    splitBlock_->setVisible(splitVisible);
    encryptionBlock_->setVisible(encryptionVisible);
    encryptNames_->setVisible(namesVisible);
    if (changed) {
        // Settle this layout now, so the sheet measures the new height at once.
        layout()->invalidate();
        layout()->activate();
        updateGeometry();
        emit layoutChanged();
    }
}

}  // namespace kelvane::app
