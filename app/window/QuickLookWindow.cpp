#include "window/QuickLookWindow.hpp"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QPdfDocument>
#include <QPlainTextEdit>
#include <QStackedLayout>

#include "window/WindowStyle.hpp"

namespace kelvane::app {

namespace {

// Large enough to read a page, small enough that the window opens at once.
constexpr qint64 kTextBytesShown = 512 * 1024;

}  // namespace

QuickLookWindow::QuickLookWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool),
      stack_(new QStackedLayout(this)),
      image_(new QLabel),
      text_(new QPlainTextEdit),
      message_(new QLabel) {
    setObjectName(QStringLiteral("quickLookWindow"));
    resize(720, 560);
    image_->setAlignment(Qt::AlignCenter);
    text_->setReadOnly(true);
    text_->setFont(WindowStyle::monospace(12));
    message_->setAlignment(Qt::AlignCenter);
    message_->setWordWrap(true);
    stack_->addWidget(image_);
    stack_->addWidget(text_);
    stack_->addWidget(message_);
}

void QuickLookWindow::showFile(const QString& path) {
    shownFile_ = path;
    setWindowTitle(QFileInfo(path).fileName());
    const QSize room = size() - QSize(24, 24);
    QImageReader reader(path);
    reader.setAutoTransform(true);
    if (reader.canRead()) {
        const QImage picture = reader.read();
        if (!picture.isNull()) {
            image_->setPixmap(QPixmap::fromImage(
                picture.width() > room.width() || picture.height() > room.height()
                    ? picture.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                    : picture));
            stack_->setCurrentWidget(image_);
            show();
            raise();
            return;
        }
    }
    if (QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0) {
        QPdfDocument document;
        if (document.load(path) == QPdfDocument::Error::None && document.pageCount() > 0) {
            const QSizeF points = document.pagePointSize(0);
            const QSize pixels =
                points.scaled(QSizeF(room), Qt::KeepAspectRatio).toSize().expandedTo(QSize(1, 1));
            const QImage page = document.render(0, pixels);
            if (!page.isNull()) {
                image_->setPixmap(QPixmap::fromImage(page));
                stack_->setCurrentWidget(image_);
                show();
                raise();
                return;
            }
        }
    }
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.read(kTextBytesShown);
        if (!bytes.contains('\0')) {
            text_->setPlainText(QString::fromUtf8(bytes));
            stack_->setCurrentWidget(text_);
            show();
            raise();
            return;
        }
    }
    message_->setText(QFileInfo(path).fileName());
    stack_->setCurrentWidget(message_);
    show();
    raise();
}

void QuickLookWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Space) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace kelvane::app
