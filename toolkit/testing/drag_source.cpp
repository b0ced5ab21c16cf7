// Test tool: another program to drag files from. It shows a small window at
// the given place; a press of the left button on it starts a drag carrying the
// given paths as file URLs, offering the copy action only (what a file manager
// offers for a copy). It prints "ready" once its window has been drawn,
// "dragging" as the drag begins, "over action N" whenever the window under the pointer answers the drag with
// another action (0 when it takes nothing, 1 for a copy), and when the drag
// ends "drop action N"; then it keeps running until stopped.
//
//     drag_source <x> <y> <path>...

#include <cstdio>
#include <cstdlib>
#include <utility>

#include <QApplication>
#include <QDrag>
#include <QList>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

namespace {

class DragSource : public QWidget {
public:
    explicit DragSource(QList<QUrl> urls) : urls_(std::move(urls)) {
        setWindowTitle("drag source");
        setAutoFillBackground(true);
        QPalette colours = palette();
        colours.setColor(QPalette::Window, QColor(40, 160, 40));
        setPalette(colours);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QWidget::paintEvent(event);
        if (!painted_) {
            painted_ = true;
            std::printf("ready\n");
            std::fflush(stdout);
        }
    }

    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton)
            return;
        auto* data = new QMimeData;
        data->setUrls(urls_);
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        QObject::connect(drag, &QDrag::actionChanged, [](Qt::DropAction action) {
            std::printf("over action %d\n", static_cast<int>(action));
            std::fflush(stdout);
        });
        // Movements that reach the window system before the drag has begun
        // are not part of it; a busy machine can start it late.
        std::printf("dragging\n");
        std::fflush(stdout);
        Qt::DropAction action = drag->exec(Qt::CopyAction);
        std::printf("drop action %d\n", static_cast<int>(action));
        std::fflush(stdout);
        // No exit here: the target may fetch the dropped data after the drag
        // has ended on this side, and only a running owner can hand it over.
        // The tests stop this program when they are done with it.
    }

private:
    QList<QUrl> urls_;
    bool painted_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: drag_source <x> <y> <path>...\n");
        return 2;
    }
    QApplication application(argc, argv);
    QList<QUrl> urls;
    for (int i = 3; i < argc; ++i)
        urls.append(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[i])));
    DragSource source(urls);
    source.setGeometry(std::atoi(argv[1]), std::atoi(argv[2]), 200, 120);
    source.show();
    return application.exec();
}
