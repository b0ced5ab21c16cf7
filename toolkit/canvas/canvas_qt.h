#pragma once
// Inside the toolkit: the Qt widget behind a canvas control.

#include <cstdint>
#include <memory>
#include <utility>

#include <QImage>
#include <QRegion>
#include <QWidget>

#include "toolkit/canvas/back_buffer.h"
#include "toolkit/canvas/canvas.h"

namespace toolkit {

class Control;

class CanvasWidget : public QWidget {
public:
    // Makes the white back buffer at once; throws std::bad_alloc like BackBuffer.
    CanvasWidget(QWidget* parent, std::uint32_t flags, int width, int height);
    ~CanvasWidget() override;

    // The control record events are posted for.
    void setControl(const Control* control) { control_ = control; }
    std::uint32_t flags() const { return flags_; }
    BackBuffer& backBuffer() { return *buffer_; }
    const BackBuffer& backBuffer() const { return *buffer_; }
    // Width of the sunken edge around the image: 2 with CanvasBorder, else 0.
    int edge() const { return edge_; }
    bool pointerInside() const { return pointerInside_; }
    bool isConfineOwner() const;
    int paintCount() const { return paintCount_; }
    // For tests: note what each paint paints of the picture from now on, and
    // take what was noted, starting afresh.
    void notePaints() { notingPaints_ = true; }
    QRegion takePainted() { return std::exchange(painted_, QRegion()); }
    bool holdsCapture() const;

    // Repaints, at once, the tiles of the back buffer flagged changed.
    void showChanges();

    std::int32_t canvasAttribute(int attribute) const;
    void setCanvasAttribute(int attribute, std::intptr_t value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    enum class Press { Single, Double };
    void press(QMouseEvent* event, Press kind);
    // Position in back-buffer pixels; kept inside while this canvas confines.
    QPoint clientPosition(QPointF widgetPosition) const;
    CanvasEventData eventData(QPoint client, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) const;
    CanvasEventData pointerData() const;  // for input that carries no position
    void post(std::int32_t type, const CanvasEventData& data) const;
    void confine();
    void releaseConfinement();
    void setCursorSelection(int selection);

    const Control* control_ = nullptr;
    std::uint32_t flags_;
    int edge_;
    std::unique_ptr<BackBuffer> buffer_;
    QImage shown_;  // the back buffer converted for painting; each paint converts what it paints
    int cursorSelection_ = ArrowCursor;
    std::int32_t customCursor_ = 0;
    bool pointerInside_ = false;
    int paintCount_ = 0;
    bool notingPaints_ = false;
    QRegion painted_;  // in picture pixels, while noting
};

// Writes the area of the buffer (in buffer pixels) into `image`, which holds
// the picture at `scale` device pixels per buffer pixel in Format_RGB32.
void ConvertBackBuffer(const BackBuffer& buffer, int scale, QRect area, QImage& image);

// The widget of a canvas control, or null when the number is not a canvas.
CanvasWidget* CanvasWidgetOf(int number);

// Cursor handles for CustomCursorAttribute: the attribute is 32 bits wide,
// so a cursor is named by a small nonzero number that this table keeps.
std::int32_t MakeCursorHandle(const QCursor& cursor);
const QCursor* CursorOfHandle(std::int32_t handle);

// Wheel units taken in but not yet reported, shared by all canvases.
std::int32_t CanvasWheelRemainder();

}  // namespace toolkit

// How many pointer movements the canvases of this process have been handed
// by the window system, after its merging of those that queue up. Read from
// outside the process by the pointer measurement (scrlab_measure), by this
// symbol's name, so that the running program answers how many movements it
// handled without being asked.
extern "C" std::uint64_t scrlab_canvas_movements;

namespace toolkit {

// Platform-specific pointer confinement.
// Under X11 gives the widget a window of its own, so the pointer can be held in it.
void PrepareConfinement(QWidget* widget);
// Holds the real pointer inside the widget; false where the window system cannot.
bool ConfinePointerTo(QWidget* widget);
void ReleasePointerConfinement();

// The platform's virtual-key code of a key event, 0 for keys it has none for.
std::int32_t VirtualKeyOf(const QKeyEvent& event);

}  // namespace toolkit
