// Measurement peer: the least a Qt window shaped like scrlab's main window can
// do with pointer movements, so that scrlab's cost per movement has a floor to
// be compared with in the same X server. Two views side by side in a window,
// both tracking the pointer; the measurement gives it scrlab's numbers (the
// toolkit sees none of the program's own headers):
//
//     minimal_window MODE WIDTH HEIGHT VIEW_WIDTH VIEW_HEIGHT VIEW_TOP MONO_LEFT COLOUR_LEFT CELL
//
//     MODE receive   only receives the movements
//     MODE floor     on entering a new cell: retitles itself and repaints the
//                    old and the new cell of both views from a kept image
//
// It is shown with the title "Minimal window". On SIGTERM it prints
// "movements N" (the movement events that reached the views) and exits.

#include <csignal>
#include <cstdio>
#include <cstdlib>
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

// The shape of the window imitated, in pixels.
struct Shape {
    int windowWidth;
    int windowHeight;
    int viewWidth;
    int viewHeight;
    int viewTop;
    int monoLeft;
    int colourLeft;
    int cell;
};

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
    View(MinimalWindow* window, const Shape& shape, int left, QColor ink);
    void SetHighlight(int column, int row);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QRect CellRect(int column, int row) const { return {column * cell_, row * cell_, cell_, cell_}; }

    MinimalWindow* window_;
    int cell_;
    QImage picture_;
    int column_ = -1;
    int row_ = -1;
};

class MinimalWindow : public QWidget {
public:
    MinimalWindow(Mode mode, const Shape& shape)
        : mode_(mode), shape_(shape), mono_(this, shape, shape.monoLeft, Qt::black),
          colour_(this, shape, shape.colourLeft, QColor(0, 0, 215)) {
        setWindowTitle("Minimal window");
        setFixedSize(shape.windowWidth, shape.windowHeight);
    }

    // Mirrors what scrlab's title status line and highlight ask of Qt on a
    // movement into another cell, and nothing more.
    void Moved(QPoint inView) {
        movements = movements + 1;
        if (mode_ == Mode::Receive)
            return;
        const int column = inView.x() / shape_.cell;
        const int row = inView.y() / shape_.cell;
        if (inView.x() < 0 || inView.y() < 0 || inView.x() >= shape_.viewWidth || inView.y() >= shape_.viewHeight ||
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
    Shape shape_;
    View mono_;
    View colour_;
    int column_ = -1;
    int row_ = -1;
};

View::View(MinimalWindow* window, const Shape& shape, int left, QColor ink)
    : QWidget(window), window_(window), cell_(shape.cell),
      picture_(shape.viewWidth, shape.viewHeight, QImage::Format_RGB32) {
    setGeometry(left, shape.viewTop, shape.viewWidth, shape.viewHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    // A checkered picture, so a repaint copies real pixels, not one colour;
    // written directly, as one fillRect a pixel would slow the start down.
    const QRgb paper = qRgb(215, 215, 215);
    for (int y = 0; y < shape.viewHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture_.scanLine(y));
        for (int x = 0; x < shape.viewWidth; ++x)
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

// Eight numbers, in the order of Shape's fields; the cell must be positive.
bool ReadShape(char** arguments, Shape& shape) {
    int* fields[] = {&shape.windowWidth, &shape.windowHeight, &shape.viewWidth,  &shape.viewHeight,
                     &shape.viewTop,     &shape.monoLeft,     &shape.colourLeft, &shape.cell};
    for (int* field : fields) {
        char* end = nullptr;
        const long value = std::strtol(*arguments, &end, 10);
        if (end == *arguments || *end != '\0' || value < 0 || value > 100000)
            return false;
        *field = static_cast<int>(value);
        ++arguments;
    }
    return shape.cell > 0;
}

}  // namespace

int main(int argc, char** argv) {
    const bool floor = argc == 10 && std::strcmp(argv[1], "floor") == 0;
    Shape shape{};
    if (argc != 10 || (!floor && std::strcmp(argv[1], "receive") != 0) || !ReadShape(argv + 2, shape)) {
        std::fprintf(stderr, "usage: minimal_window receive|floor WIDTH HEIGHT VIEW_WIDTH VIEW_HEIGHT VIEW_TOP "
                             "MONO_LEFT COLOUR_LEFT CELL\n");
        return 2;
    }
    std::signal(SIGTERM, ReportAndExit);
    QApplication application(argc, argv);
    MinimalWindow window(floor ? Mode::Floor : Mode::Receive, shape);
    window.show();
    return application.exec();
}
