// Measurement peer: the least a Qt window shaped like scrlab's main window can
// do with pointer movements, so that scrlab's cost per movement has a floor to
// be compared with in the same X server. Two views of 512 x 384 at (0,20) and
// (530,20) in a 1073 x 510 window, both tracking the pointer.
//
//     minimal_window receive   only receives the movements
//     minimal_window floor     on entering a new cell: retitles itself and
//                              repaints the old and the new 16 x 16 cell of
//                              both views from a kept image
//
// It is shown with the title "Minimal window". On SIGTERM it prints
// "movements N" (the movement events that reached the views) and exits.

#include <csignal>
#include <cstdio>
#include <cstring>

#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRgb>
#include <QString>
#include <QWidget>

namespace {

constexpr int WindowWidth = 1073;
constexpr int WindowHeight = 510;
constexpr int ViewWidth = 512;
constexpr int ViewHeight = 384;
constexpr int ViewTop = 20;
constexpr int ColourViewLeft = 530;
constexpr int CellSize = 16;

enum class Mode { Receive, Floor };

volatile std::sig_atomic_t movements = 0;

// Only write and _exit are safe here; the number is formatted by hand.
void ReportAndExit(int) {
    char text[32] = "movements ";
    char digits[16];
    int count = 0;
    long value = movements;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0 && count < 15);
    std::size_t length = std::strlen(text);
    while (count > 0)
        text[length++] = digits[--count];
    text[length++] = '\n';
    [[maybe_unused]] ssize_t written = write(STDOUT_FILENO, text, length);
    _exit(0);
}

class MinimalWindow;

// One view: paints its kept image, and outlines the highlighted cell.
class View : public QWidget {
public:
    View(MinimalWindow* window, int left, QColor ink);
    void SetHighlight(int column, int row);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    static QRect CellRect(int column, int row) { return {column * CellSize, row * CellSize, CellSize, CellSize}; }

    MinimalWindow* window_;
    QImage picture_;
    int column_ = -1;
    int row_ = -1;
};

class MinimalWindow : public QWidget {
public:
    explicit MinimalWindow(Mode mode)
        : mode_(mode), mono_(this, 0, Qt::black), colour_(this, ColourViewLeft, QColor(0, 0, 215)) {
        setWindowTitle("Minimal window");
        setFixedSize(WindowWidth, WindowHeight);
    }

    // Mirrors what scrlab's title status line and highlight ask of Qt on a
    // movement into another cell, and nothing more.
    void Moved(QPoint inView) {
        movements = movements + 1;
        if (mode_ == Mode::Receive)
            return;
        const int column = inView.x() / CellSize;
        const int row = inView.y() / CellSize;
        if (inView.x() < 0 || inView.y() < 0 || column >= ViewWidth / CellSize || row >= ViewHeight / CellSize ||
            (column == column_ && row == row_))
            return;
        column_ = column;
        row_ = row;
        setWindowTitle(QString("x:%1 y:%2 attribute:00:111:000 file:screen02.scr").arg(column).arg(row));
        mono_.SetHighlight(column, row);
        colour_.SetHighlight(column, row);
    }

private:
    Mode mode_;
    View mono_;
    View colour_;
    int column_ = -1;
    int row_ = -1;
};

View::View(MinimalWindow* window, int left, QColor ink)
    : QWidget(window), window_(window), picture_(ViewWidth, ViewHeight, QImage::Format_RGB32) {
    setGeometry(left, ViewTop, ViewWidth, ViewHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    // A checkered picture, so a repaint copies real pixels, not one colour;
    // written directly, as one fillRect a pixel would slow the start down.
    const QRgb paper = qRgb(215, 215, 215);
    for (int y = 0; y < ViewHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture_.scanLine(y));
        for (int x = 0; x < ViewWidth; ++x)
            line[x] = (x + y) % 2 ? paper : ink.rgb();
    }
}

void View::SetHighlight(int column, int row) {
    if (column_ >= 0)
        update(CellRect(column_, row_));
    column_ = column;
    row_ = row;
    update(CellRect(column_, row_));
}

void View::mouseMoveEvent(QMouseEvent* event) { window_->Moved(event->position().toPoint()); }

void View::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect exposed = event->rect();
    painter.drawImage(exposed.topLeft(), picture_, exposed);
    const QRect cell = CellRect(column_, row_);
    if (column_ >= 0 && exposed.intersects(cell)) {
        painter.setPen(Qt::red);
        painter.drawRect(cell.adjusted(0, 0, -1, -1));
    }
}

} // namespace

int main(int argc, char** argv) {
    const bool floor = argc == 2 && std::strcmp(argv[1], "floor") == 0;
    if (argc != 2 || (!floor && std::strcmp(argv[1], "receive") != 0)) {
        std::fprintf(stderr, "usage: minimal_window receive|floor\n");
        return 2;
    }
    std::signal(SIGTERM, ReportAndExit);
    QApplication application(argc, argv);
    MinimalWindow window(floor ? Mode::Floor : Mode::Receive);
    window.show();
    return application.exec();
}
