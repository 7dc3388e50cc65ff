// A small window of another program that takes drops, as a file manager would: it says
// READY once shown, ENTER when a drag comes over it, then one URL line per dropped address
// and DROPPED. Arguments: x y width height.
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

void say(const QByteArray& line) {
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

class DropTarget final : public QWidget {
public:
    DropTarget() {
        setAcceptDrops(true);
        setWindowTitle(QStringLiteral("kelvane-drop-target"));
    }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override {
        if (event->mimeData()->hasUrls()) {
            event->acceptProposedAction();
            if (!entered_) say("ENTER");
            entered_ = true;
        }
    }
    void dragMoveEvent(QDragMoveEvent* event) override { event->acceptProposedAction(); }
    void dropEvent(QDropEvent* event) override {
        say("ACTION " + QByteArray::number(static_cast<int>(event->dropAction())));
        for (const QUrl& url : event->mimeData()->urls()) say("URL " + url.toEncoded());
        event->acceptProposedAction();
        say("DROPPED");
    }

private:
    bool entered_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 5) return 2;
    DropTarget target;
    target.setGeometry(QString::fromLocal8Bit(argv[1]).toInt(), QString::fromLocal8Bit(argv[2]).toInt(),
                       QString::fromLocal8Bit(argv[3]).toInt(), QString::fromLocal8Bit(argv[4]).toInt());
    target.show();
    QTimer::singleShot(0, &target, [] { say("READY"); });
    return QApplication::exec();
}
