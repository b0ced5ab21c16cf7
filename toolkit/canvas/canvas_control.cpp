#include <algorithm>
#include <new>
#include <vector>

#include <QApplication>
#include <QCursor>
#include <QDeadlineTimer>
#include <QWindow>

#include "toolkit/canvas/canvas_access.h"
#include "toolkit/canvas/canvas_qt.h"
#include "toolkit/controls/control_qt.h"
#include "toolkit/windows/window_qt.h"

namespace toolkit {
namespace {

// The canvas kind of control record: attributes and tab stops answered by its widget.
class CanvasControl : public Control {
public:
    explicit CanvasControl(CanvasWidget* canvas) : Control(ControlKind::Canvas, canvas), canvas_(canvas) {
        canvas->setControl(this);
    }
    ~CanvasControl() override {
        if (widget())
            canvas_->setControl(nullptr);
    }
    CanvasWidget* canvas() const { return widget() ? canvas_ : nullptr; }
    bool isTabStop() const override { return (canvas_->flags() & CanvasKeyboard) != 0; }
    std::int32_t attribute(int attribute) const override { return widget() ? canvas_->canvasAttribute(attribute) : 0; }
    void setAttribute(int attribute, std::intptr_t value) override {
        if (widget())
            canvas_->setCanvasAttribute(attribute, value);
    }

private:
    CanvasWidget* canvas_;
};

std::vector<QCursor> cursors;

}  // namespace

std::intptr_t CreateCanvas(int number, int x, int y, int width, int height, std::uint32_t flags) {
    QWidget* container = ContainerForNewControl(number);
    if (!container)
        return 0;
    CanvasWidget* canvas = nullptr;
    try {
        canvas = new CanvasWidget(container, flags, width, height);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    if (flags & CanvasConfinePointer)
        PrepareConfinement(canvas);
    return PlaceControl(number, std::make_unique<CanvasControl>(canvas), x, y, std::max(width, 0), std::max(height, 0));
}

CanvasWidget* CanvasWidgetOf(int number) {
    Control* control = FindControl(number);
    if (!control || control->kind() != ControlKind::Canvas)
        return nullptr;
    return static_cast<CanvasControl*>(control)->canvas();
}

const BackBuffer* BackBufferOfHandle(std::int32_t handle) {
    if (handle == 0)
        return nullptr;
    for (Control* control : ControlsInCreationOrder()) {
        if (control->kind() != ControlKind::Canvas)
            continue;
        if (CanvasWidget* canvas = static_cast<CanvasControl*>(control)->canvas())
            if (canvas->backBuffer().handle() == handle)
                return &canvas->backBuffer();
    }
    return nullptr;
}

std::int32_t MakeCursorHandle(const QCursor& cursor) {
    if (cursors.empty())
        AddShutdownStep([] { cursors.clear(); });  // cursors must go before the application
    cursors.push_back(cursor);
    return static_cast<std::int32_t>(cursors.size());
}

const QCursor* CursorOfHandle(std::int32_t handle) {
    if (handle <= 0 || static_cast<std::size_t>(handle) > cursors.size())
        return nullptr;
    return &cursors[static_cast<std::size_t>(handle) - 1];
}

bool GetCanvasPixels(int number, CanvasPixels& pixels) {
    CanvasWidget* canvas = CanvasWidgetOf(number);
    if (!canvas)
        return false;
    const BackBuffer& buffer = canvas->backBuffer();
    pixels = CanvasPixels{buffer.storage(),   buffer.changedTiles(), buffer.width(), buffer.height(),
                          buffer.rowLength(), buffer.tileColumns(),  buffer.stamp()};
    return true;
}

std::uint64_t RestampCanvas(int number) {
    CanvasWidget* canvas = CanvasWidgetOf(number);
    return canvas ? canvas->backBuffer().restamp() : 0;
}

void RepaintCanvasNow(int number) {
    if (CanvasWidget* canvas = CanvasWidgetOf(number))
        canvas->showChanges();
}

}  // namespace toolkit

namespace toolkit {

bool WaitUntilCanvasShown(int number, int milliseconds) {
    QDeadlineTimer deadline(milliseconds);
    for (;;) {
        CanvasWidget* canvas = CanvasWidgetOf(number);
        if (!canvas)
            return false;
        const QWindow* window = canvas->window()->windowHandle();
        if (canvas->isVisible() && window && window->isExposed())
            return true;
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

int CanvasPaintCount(int number) {
    CanvasWidget* canvas = CanvasWidgetOf(number);
    return canvas ? canvas->paintCount() : 0;
}

void NoteCanvasPaints(int number) {
    if (CanvasWidget* canvas = CanvasWidgetOf(number))
        canvas->notePaints();
}

std::vector<CanvasArea> TakeCanvasPaintedArea(int number) {
    std::vector<CanvasArea> areas;
    if (CanvasWidget* canvas = CanvasWidgetOf(number))
        for (const QRect& rect : canvas->takePainted())
            areas.push_back({rect.x(), rect.y(), rect.width(), rect.height()});
    return areas;
}

}  // namespace toolkit
