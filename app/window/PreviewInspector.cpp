#include "window/PreviewInspector.hpp"

#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPdfDocument>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

#include "SymbolIcon.hpp"
#include "index/ArchiveDirectoryIndex.hpp"
#include "localization/S.hpp"
#include "model/ByteSizeFormatter.hpp"
#include "state/ArchiveViewModel.hpp"
#include "window/PillButton.hpp"
#include "window/SpinnerWidget.hpp"
#include "window/WindowStyle.hpp"

namespace kelvane::app {

namespace {

// A rounded box drawn behind its children.
class RoundedBox final : public QFrame {
public:
    RoundedBox(QColor fill, QColor border, double radius, QWidget* parent = nullptr)
        : QFrame(parent), fill_(fill), border_(border), radius_(radius) {}

protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(border_.alpha() > 0 ? QPen(border_, 0.75) : Qt::NoPen);
        painter.setBrush(fill_);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius_, radius_);
    }

private:
    QColor fill_;
    QColor border_;
    double radius_;
};

QLabel* label(const QString& text, const QFont& font, QWidget* parent,
              QPalette::ColorRole role = QPalette::WindowText) {
    auto* shown = new QLabel(text, parent);
    shown->setFont(font);
    shown->setForegroundRole(role);
    return shown;
}

QFrame* divider(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setObjectName(QStringLiteral("divider"));
    return line;
}

// The width inside the panel's margins.
constexpr int kContentWidth = PreviewInspector::kPanelWidth - 2 * 14;

PillButton::Metrics actionButtonMetrics(PillButton::Look look) {
    PillButton::Metrics metrics;
    metrics.height = 30;
    metrics.paddingX = 8;
    metrics.fillWidth = true;
    metrics.minimumScale = 0.82;
    metrics.border = look == PillButton::Look::plain;
    return metrics;
}

PillButton* actionButton(const QString& title, const QString& icon, PillButton::Look look,
                         QWidget* parent) {
    auto* button = new PillButton(parent);
    button->setText(title);
    button->setSymbol(icon);
    button->setLook(look);
    button->setMetrics(actionButtonMetrics(look));
    return button;
}

// The names of the metadata rows share one column, as wide as the widest name up to this;
// a longer name wraps.
constexpr int kWidestMetaName = 110;

void alignMetaNames(QWidget* box) {
    const QList<QLabel*> names = box->findChildren<QLabel*>(QStringLiteral("metaName"));
    int widest = 0;
    for (const QLabel* name : names) {
        widest = std::max(widest, name->fontMetrics().horizontalAdvance(name->text()) + 1);
    }
    for (QLabel* name : names) {
        name->setWordWrap(name->fontMetrics().horizontalAdvance(name->text()) + 1 > kWidestMetaName);
        name->setFixedWidth(std::min(widest, kWidestMetaName));
    }
}

QString coloredText(const QString& text, const QColor& color) {
    return QStringLiteral("<span style=\"color:%1\">%2</span>")
        .arg(color.name(QColor::HexArgb), text.toHtmlEscaped());
}

}  // namespace

PreviewInspector::PreviewInspector(ArchiveViewModel& viewModel, QWidget* parent)
    : QWidget(parent),
      viewModel_(viewModel),
      title_(new QLabel(this)),
      scroller_(new QScrollArea(this)) {
    setObjectName(QStringLiteral("previewInspector"));
    setFixedWidth(kPanelWidth);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    title_->setContentsMargins(14, 10, 14, 10);
    title_->setFont(WindowStyle::font(10.5, QFont::Bold));
    title_->setForegroundRole(QPalette::PlaceholderText);
    column->addWidget(title_);
    column->addWidget(divider(this));
    scroller_->setFrameShape(QFrame::NoFrame);
    scroller_->setWidgetResizable(true);
    scroller_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroller_->viewport()->setAutoFillBackground(false);
    column->addWidget(scroller_, 1);

    const auto later = [this] { scheduleRefresh(); };
    for (auto signal :
         {&ArchiveViewModel::selectedEntryIDsChanged, &ArchiveViewModel::listingChanged,
          &ArchiveViewModel::isLoadingPreviewChanged,
          &ArchiveViewModel::previewRequiresManualLoadChanged,
          &ArchiveViewModel::previewImageChanged, &ArchiveViewModel::previewTextChanged,
          &ArchiveViewModel::previewLocalFileURLChanged,
          &ArchiveViewModel::previewErrorTextChanged, &ArchiveViewModel::activeChecksumsChanged,
          &ArchiveViewModel::isComputingChecksumsChanged,
          &ArchiveViewModel::selectedTotalBytesChanged}) {
        connect(&viewModel_, signal, this, later);
    }
    retranslate();
}

void PreviewInspector::retranslate() {
    title_->setText(qs(S::previewPanelTitle()).toUpper());
    refresh();
}

void PreviewInspector::scheduleRefresh() {
    if (refreshPending_) return;
    refreshPending_ = true;
    QTimer::singleShot(0, this, [this] {
        if (refreshPending_) refresh();
    });
}

void PreviewInspector::refresh() {
    refreshPending_ = false;
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("inspectorContent"));
    content->setAutoFillBackground(false);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(14, 14, 14, 14);
    column->setSpacing(14);
    if (const std::optional<ArchiveEntry> entry = viewModel_.primarySelectedEntry()) {
        column->addWidget(buildSingleEntry(*entry));
    } else if (viewModel_.selectedEntryIDs().size() > 1) {
        column->addWidget(buildMultiSelection());
    } else {
        column->addSpacing(36 - 14);
        column->addWidget(buildEmptySelection());
    }
    column->addStretch(1);
    QWidget* old = scroller_->takeWidget();
    scroller_->setWidget(content);
    content_ = content;
    if (old != nullptr) {
        old->hide();
        old->deleteLater();
    }
}

void PreviewInspector::copyText(const QString& text) {
    viewModel_.copyToClipboard(text, qs(S::t("Copied to clipboard", "Panoya kopyalandı")));
}

QWidget* PreviewInspector::buildSingleEntry(const ArchiveEntry& entry) {
    const QPalette& pal = palette();
    auto* box = new QWidget;
    box->setObjectName(QStringLiteral("singleEntry"));
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);
    const bool folder = entry.isDirectory();

    // Header.
    auto* header = new QHBoxLayout;
    header->setSpacing(10);
    auto* tile = new RoundedBox(WindowStyle::faded(WindowStyle::primary(pal), 0.06), Qt::transparent,
                                9, box);
    tile->setFixedSize(40, 40);
    auto* tileIcon = new QLabel(tile);
    tileIcon->setGeometry(8, 8, 24, 24);
    tileIcon->setPixmap(SymbolIcon::bundledIcon(qs(entry.sfSymbolName()),
                                                folder ? WindowStyle::accent(pal)
                                                       : WindowStyle::orange(pal))
                            .pixmap(24, 24));
    header->addWidget(tile, 0, Qt::AlignTop);
    auto* identity = new QVBoxLayout;
    identity->setSpacing(3);
    QLabel* name = label(qs(entry.name()), WindowStyle::font(12.5, QFont::DemiBold), box);
    name->setObjectName(QStringLiteral("entryName"));
    name->setWordWrap(true);
    name->setMaximumHeight(2 * QFontMetrics(name->font()).lineSpacing() + 2);
    identity->addWidget(name);
    auto* badges = new QHBoxLayout;
    badges->setSpacing(6);
    QString kind = folder ? qs(S::t("Folder", "Klasör")) : qs(entry.fileExtension()).toUpper();
    if (kind.isEmpty()) kind = QStringLiteral("FILE");
    QLabel* badge = label(kind, WindowStyle::font(9.5, QFont::Bold), box);
    badge->setObjectName(QStringLiteral("kindBadge"));
    badge->setContentsMargins(6, 1, 6, 1);
    badge->setStyleSheet(QStringLiteral("QLabel#kindBadge { background: %1; border-radius: 7px; }")
                             .arg(WindowStyle::faded(WindowStyle::primary(pal), 0.08)
                                      .name(QColor::HexArgb)));
    badges->addWidget(badge);
    if (entry.isEncrypted()) {
        QLabel* lock = label(QString(), WindowStyle::font(9.5, QFont::DemiBold), box);
        lock->setText(coloredText(qs(S::statEncrypted()), WindowStyle::orange(pal)));
        badges->addWidget(lock);
    }
    badges->addStretch(1);
    identity->addLayout(badges);
    header->addLayout(identity, 1);
    column->addLayout(header);

    if (!folder) {
        if (QWidget* stage = buildPreviewStage(entry)) column->addWidget(stage);
    }

    // Actions: side by side while both titles fit whole, else one above the other.
    auto* actions = new QBoxLayout(QBoxLayout::LeftToRight);
    actions->setSpacing(6);
    PillButton* extract = actionButton(qs(S::extractThisItem()),
                                       QStringLiteral("arrow.up.doc.on.clipboard"),
                                       PillButton::Look::prominent, box);
    extract->setObjectName(QStringLiteral("extractThisItem"));
    connect(extract, &PillButton::clicked, this, [this] { viewModel_.presentExtractSheet(true); });
    actions->addWidget(extract, 1);
    if (!folder) {
        PillButton* open = actionButton(qs(S::openFileDirect()),
                                        QStringLiteral("arrow.up.forward.app"),
                                        PillButton::Look::plain, box);
        open->setObjectName(QStringLiteral("openFileDirect"));
        PillButton::Metrics metrics;
        metrics.height = 30;
        metrics.paddingX = 8;
        metrics.minimumScale = 0.82;
        metrics.border = true;
        open->setMetrics(metrics);
        const ArchiveEntry kept = entry;
        connect(open, &PillButton::clicked, this,
                [this, kept] { viewModel_.openEntryDirectly(kept); });
        actions->addWidget(open);
        if (extract->sizeHint().width() + actions->spacing() + open->sizeHint().width() >
            kContentWidth) {
            actions->setDirection(QBoxLayout::TopToBottom);
            open->setMetrics(actionButtonMetrics(PillButton::Look::plain));
        }
    }
    column->addLayout(actions);
    if (!folder) {
        PillButton* look = actionButton(qs(S::quickLook()), QStringLiteral("eye.fill"),
                                        PillButton::Look::plain, box);
        look->setObjectName(QStringLiteral("quickLookButton"));
        connect(look, &PillButton::clicked, this,
                [this] { viewModel_.toggleQuickLookForSelection(); });
        column->addWidget(look);
    }
    column->addWidget(divider(box));

    // Metadata.
    const auto& listing = viewModel_.listing();
    const std::int64_t size =
        listing ? listing->tree()->effectiveSize(entry) : entry.uncompressedSize();
    const std::int64_t packed =
        listing ? listing->tree()->effectivePackedSize(entry) : entry.compressedSize();
    auto* meta = new RoundedBox(WindowStyle::faded(WindowStyle::primary(pal), 0.05), Qt::transparent,
                                10, box);
    meta->setObjectName(QStringLiteral("metadataBox"));
    auto* metaColumn = new QVBoxLayout(meta);
    metaColumn->setContentsMargins(10, 10, 10, 10);
    metaColumn->setSpacing(7);
    metaColumn->addWidget(metaRow(qs(S::t("Path", "Yol")), qs(entry.id()), true));
    metaColumn->addWidget(metaRow(qs(S::statOriginal()), qs(ByteSizeFormatter::format(size)), false));
    metaColumn->addWidget(metaRow(qs(S::colPacked()), qs(ByteSizeFormatter::format(packed)), false));
    if (size >= 1 && size >= packed) {
        const double ratio =
            (1.0 - static_cast<double>(packed) / static_cast<double>(size)) * 100.0;
        metaColumn->addWidget(metaRow(qs(S::colRatio()), QString::asprintf("%.1f%%", ratio), false));
    }
    if (const auto method = entry.method(); method && !method->empty()) {
        metaColumn->addWidget(metaRow(qs(S::t("Method", "Yöntem")), qs(*method), false));
    }
    if (const auto crc = entry.crc32(); crc && !crc->empty()) {
        metaColumn->addWidget(metaRow(QStringLiteral("CRC32"), qs(*crc), true));
    }
    if (folder && listing) {
        if (const auto node = listing->tree()->folderNode(entry.id())) {
            metaColumn->addWidget(
                metaRow(qs(S::statFiles()), QString::number(node->recursiveFileCount), false));
        }
    }
    alignMetaNames(meta);
    column->addWidget(meta);

    // Checksums.
    if (!folder) {
        if (const auto& sums = viewModel_.activeChecksums()) {
            auto* box2 = new RoundedBox(WindowStyle::faded(WindowStyle::green(pal), 0.08),
                                        WindowStyle::faded(WindowStyle::green(pal), 0.22), 10, box);
            box2->setObjectName(QStringLiteral("checksumBox"));
            auto* sumColumn = new QVBoxLayout(box2);
            sumColumn->setContentsMargins(10, 10, 10, 10);
            sumColumn->setSpacing(6);
            sumColumn->addWidget(metaRow(QStringLiteral("SHA-256"), qs(sums->sha256), true));
            sumColumn->addWidget(metaRow(QStringLiteral("MD5"), qs(sums->md5), true));
            alignMetaNames(box2);
            column->addWidget(box2);
        } else {
            const bool computing = viewModel_.isComputingChecksums();
            PillButton* compute = actionButton(
                computing ? qs(S::t("Computing…", "Hesaplanıyor…")) : qs(S::computeHashes()),
                QStringLiteral("number.square"), PillButton::Look::plain, box);
            compute->setObjectName(QStringLiteral("computeHashes"));
            compute->setEnabled(!computing);
            connect(compute, &PillButton::clicked, this, [this] {
                const std::optional<ArchiveEntry> primary = viewModel_.primarySelectedEntry();
                if (primary && !primary->isDirectory()) viewModel_.computeChecksums(*primary);
            });
            column->addWidget(compute);
        }
    }
    return box;
}

QWidget* PreviewInspector::buildPreviewStage(const ArchiveEntry& entry) {
    const QPalette& pal = palette();
    const QColor primary = WindowStyle::primary(pal);
    if (viewModel_.isLoadingPreview()) {
        auto* box = new RoundedBox(WindowStyle::faded(primary, 0.05), Qt::transparent, 10);
        box->setObjectName(QStringLiteral("previewLoading"));
        box->setFixedHeight(150);
        auto* column = new QVBoxLayout(box);
        column->setSpacing(8);
        column->addStretch(1);
        column->addWidget(new SpinnerWidget(18, box), 0, Qt::AlignHCenter);
        QLabel* text = label(qs(S::t("Extracting preview…", "Önizleme çıkarılıyor…")),
                             WindowStyle::font(10.5), box, QPalette::PlaceholderText);
        column->addWidget(text, 0, Qt::AlignHCenter);
        column->addStretch(1);
        return box;
    }
    if (viewModel_.previewRequiresManualLoad()) {
        auto* box = new RoundedBox(WindowStyle::faded(primary, 0.05), Qt::transparent, 10);
        box->setObjectName(QStringLiteral("previewManualLoad"));
        auto* column = new QVBoxLayout(box);
        column->setContentsMargins(14, 14, 14, 14);
        column->setSpacing(10);
        auto* icon = new QLabel(box);
        icon->setPixmap(SymbolIcon::bundledIcon(QStringLiteral("doc.viewfinder"),
                                                WindowStyle::secondary(pal))
                            .pixmap(24, 24));
        column->addWidget(icon, 0, Qt::AlignHCenter);
        QLabel* note = label(qs(S::solidPreviewNote()), WindowStyle::font(10.5), box,
                             QPalette::PlaceholderText);
        note->setWordWrap(true);
        note->setAlignment(Qt::AlignCenter);
        column->addWidget(note);
        auto* load = new PillButton(box);
        load->setObjectName(QStringLiteral("loadLargePreview"));
        load->setText(qs(S::loadLargePreview()));
        load->setLook(PillButton::Look::prominent);
        PillButton::Metrics metrics;
        metrics.height = 24;
        metrics.fontSize = 11;
        metrics.paddingX = 10;
        metrics.radius = 6;
        load->setMetrics(metrics);
        const ArchiveEntry kept = entry;
        connect(load, &PillButton::clicked, this,
                [this, kept] { viewModel_.preparePreview(kept, true); });
        column->addWidget(load, 0, Qt::AlignHCenter);
        return box;
    }
    if (const auto& image = viewModel_.previewImage()) {
        auto* box = new RoundedBox(QColor(0, 0, 0, 71), WindowStyle::faded(primary, 0.12), 10);
        box->setObjectName(QStringLiteral("previewImage"));
        auto* column = new QVBoxLayout(box);
        column->setContentsMargins(6, 6, 6, 6);
        auto* picture = new QLabel(box);
        const QSize room(kContentWidth - 12, 210 - 12);
        const qreal ratio = devicePixelRatioF();
        QImage scaled = image->scaled(room * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        scaled.setDevicePixelRatio(ratio);
        picture->setPixmap(QPixmap::fromImage(scaled));
        picture->setAlignment(Qt::AlignCenter);
        column->addWidget(picture);
        return box;
    }
    if (const auto& text = viewModel_.previewText()) {
        auto* box = new QWidget;
        box->setObjectName(QStringLiteral("previewText"));
        auto* column = new QVBoxLayout(box);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(6);
        auto* row = new QHBoxLayout;
        row->addWidget(label(qs(entry.fileExtension()).toUpper(), WindowStyle::font(9.5, QFont::Bold),
                             box, QPalette::PlaceholderText));
        row->addStretch(1);
        auto* copy = new PillButton(box);
        copy->setObjectName(QStringLiteral("copyTextContent"));
        copy->setText(qs(S::copyTextContent()));
        PillButton::Metrics metrics;
        metrics.height = 20;
        metrics.fontSize = 10;
        metrics.weight = QFont::Normal;
        metrics.paddingX = 7;
        metrics.radius = 5;
        copy->setMetrics(metrics);
        const QString whole = *text;
        connect(copy, &PillButton::clicked, this, [this, whole] { copyText(whole); });
        row->addWidget(copy);
        column->addLayout(row);
        auto* view = new QPlainTextEdit(box);
        view->setObjectName(QStringLiteral("previewTextView"));
        view->setReadOnly(true);
        view->setLineWrapMode(QPlainTextEdit::NoWrap);
        view->setFont(WindowStyle::monospace(10.5));
        view->setPlainText(whole);
        view->setFixedHeight(195);
        view->setFrameShape(QFrame::NoFrame);
        const bool dark = WindowStyle::isDark(pal);
        view->setStyleSheet(
            QStringLiteral("QPlainTextEdit { background: %1; border: 1px solid %2; "
                           "border-radius: 8px; padding: 4px; color: %3; }")
                .arg(dark ? QStringLiteral("rgba(0,0,0,66)") : QStringLiteral("rgba(0,0,0,14)"),
                     WindowStyle::faded(primary, 0.12).name(QColor::HexArgb),
                     primary.name(QColor::HexArgb)));
        column->addWidget(view);
        return box;
    }
    if (entry.fileExtension() == "pdf" && viewModel_.previewLocalFileURL()) {
        QPdfDocument document;
        if (document.load(*viewModel_.previewLocalFileURL()) == QPdfDocument::Error::None &&
            document.pageCount() > 0) {
            const QImage page = document.render(0, QSize(280, 360));
            if (!page.isNull()) {
                auto* box = new RoundedBox(QColor(255, 255, 255, 235), Qt::transparent, 10);
                box->setObjectName(QStringLiteral("previewPdf"));
                auto* column = new QVBoxLayout(box);
                column->setContentsMargins(6, 6, 6, 6);
                auto* picture = new QLabel(box);
                picture->setPixmap(QPixmap::fromImage(
                    page.scaled(QSize(kContentWidth - 12, 220 - 12), Qt::KeepAspectRatio,
                                Qt::SmoothTransformation)));
                picture->setAlignment(Qt::AlignCenter);
                column->addWidget(picture);
                return box;
            }
        }
    }
    if (const auto& error = viewModel_.previewErrorText()) {
        auto* box = new RoundedBox(WindowStyle::faded(WindowStyle::orange(pal), 0.10),
                                   Qt::transparent, 8);
        box->setObjectName(QStringLiteral("previewError"));
        auto* column = new QVBoxLayout(box);
        column->setContentsMargins(10, 10, 10, 10);
        QLabel* text = label(QString(), WindowStyle::font(10), box);
        text->setText(coloredText(*error, WindowStyle::orange(pal)));
        text->setWordWrap(true);
        column->addWidget(text);
        return box;
    }
    return nullptr;
}

QWidget* PreviewInspector::metaRow(const QString& name, const QString& value, bool copyable) {
    auto* row = new QWidget;
    row->setObjectName(QStringLiteral("meta_") + name);
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(8);
    QLabel* key = label(name, WindowStyle::font(10), row, QPalette::PlaceholderText);
    key->setObjectName(QStringLiteral("metaName"));
    key->setFixedWidth(72);
    key->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    line->addWidget(key, 0, Qt::AlignTop);
    QLabel* shown = label(value, WindowStyle::font(10, QFont::Medium), row);
    shown->setObjectName(QStringLiteral("metaValue"));
    // Only long values (paths, digests) wrap: a wrapped label asks for its height late, and
    // short ones then stand in rows taller than their text.
    constexpr qsizetype kLongValue = 24;
    shown->setWordWrap(value.size() > kLongValue);
    shown->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    shown->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Long paths and digests have no spaces to wrap at; let them break anywhere.
    QString breakable;
    for (const QChar character : value) {
        breakable += character;
        if (value.size() > kLongValue && !character.isSpace()) breakable += QChar(0x200B);
    }
    shown->setText(breakable);
    shown->setToolTip(value);
    shown->setMinimumWidth(40);
    shown->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    line->addWidget(shown, 1, Qt::AlignTop);
    if (copyable) {
        auto* copy = new PillButton(row);
        copy->setObjectName(QStringLiteral("copyButton"));
        copy->setSymbol(QStringLiteral("doc.on.doc"));
        copy->setLook(PillButton::Look::quiet);
        PillButton::Metrics metrics;
        metrics.height = 16;
        metrics.fixedWidth = 16;
        metrics.paddingX = 0;
        metrics.iconSize = 11;
        metrics.radius = 4;
        metrics.border = false;
        copy->setMetrics(metrics);
        connect(copy, &PillButton::clicked, this, [this, value] { copyText(value); });
        line->addWidget(copy, 0, Qt::AlignTop);
    }
    return row;
}

QWidget* PreviewInspector::buildMultiSelection() {
    const QPalette& pal = palette();
    auto* box = new QWidget;
    box->setObjectName(QStringLiteral("multiSelectionSummary"));
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);
    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    auto* icon = new QLabel(box);
    icon->setPixmap(SymbolIcon::bundledIcon(QStringLiteral("doc.on.doc.fill"), WindowStyle::accent(pal))
                        .pixmap(24, 24));
    row->addWidget(icon);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    QLabel* count = label(QString::number(viewModel_.selectedEntryIDs().size()) +
                              QLatin1Char(' ') + qs(S::t("items selected", "öğe seçili")),
                          WindowStyle::font(12.5, QFont::Bold), box);
    count->setObjectName(QStringLiteral("selectionCount"));
    texts->addWidget(count);
    QLabel* bytes = label(qs(ByteSizeFormatter::format(viewModel_.selectedTotalBytes())),
                          WindowStyle::font(10.5), box, QPalette::PlaceholderText);
    bytes->setObjectName(QStringLiteral("selectionBytes"));
    texts->addWidget(bytes);
    row->addLayout(texts, 1);
    column->addLayout(row);
    PillButton* extract = actionButton(qs(S::extractSelected()),
                                       QStringLiteral("arrow.up.doc.on.clipboard"),
                                       PillButton::Look::prominent, box);
    connect(extract, &PillButton::clicked, this, [this] { viewModel_.presentExtractSheet(true); });
    column->addWidget(extract);
    PillButton* here = actionButton(qs(S::extractHere()), QStringLiteral("tray.and.arrow.down"),
                                    PillButton::Look::plain, box);
    connect(here, &PillButton::clicked, this, [this] { viewModel_.quickExtractHere(true); });
    column->addWidget(here);
    if (viewModel_.listing() && viewModel_.listing()->info().isModifiable) {
        PillButton* remove = actionButton(qs(S::deleteSelected()), QStringLiteral("trash"),
                                          PillButton::Look::destructive, box);
        remove->setObjectName(QStringLiteral("deleteSelected"));
        connect(remove, &PillButton::clicked, this,
                [this] { viewModel_.deleteSelectedEntriesFromArchive(); });
        column->addWidget(remove);
    }
    return box;
}

QWidget* PreviewInspector::buildEmptySelection() {
    auto* box = new QWidget;
    box->setObjectName(QStringLiteral("emptySelection"));
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);
    auto* icon = new QLabel(box);
    icon->setPixmap(SymbolIcon::bundledIcon(QStringLiteral("doc.text.magnifyingglass"),
                                            WindowStyle::tertiary(palette()))
                        .pixmap(32, 32));
    column->addWidget(icon, 0, Qt::AlignHCenter);
    QLabel* hint = label(qs(S::noSelectionHint()), WindowStyle::font(10.5), box,
                         QPalette::PlaceholderText);
    hint->setWordWrap(true);
    hint->setAlignment(Qt::AlignCenter);
    column->addWidget(hint);
    return box;
}

}  // namespace kelvane::app
