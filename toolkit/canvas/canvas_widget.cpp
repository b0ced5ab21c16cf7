#include <algorithm>
#include <cmath>
#include <limits>

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QWheelEvent>

#include "toolkit/canvas/canvas_qt.h"
#include "toolkit/controls/control_qt.h"
#include "toolkit/windows/events.h"

std::uint64_t scrlab_canvas_movements = 0;

namespace toolkit {
namespace {

constexpr int EdgeWidth = 2;
constexpr std::int32_t WheelUnitsPerNotch = 120;
constexpr int CustomCursorSelection = 254;

// Shared by every canvas of the process, as the window system's own pointer
// capture and confinement are.
QPointer<CanvasWidget> confineOwner;
QPointer<CanvasWidget> captureHolder;
bool confinedByWindowSystem = false;
std::int32_t wheelAccumulator = 0;

std::int32_t ButtonBits(Qt::MouseButtons buttons) {
    return (buttons & Qt::LeftButton ? LeftButtonBit : 0) | (buttons & Qt::RightButton ? RightButtonBit : 0) |
           (buttons & Qt::MiddleButton ? MiddleButtonBit : 0);
}

std::int32_t ModifierBits(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? ShiftBit : 0) | (modifiers & Qt::AltModifier ? AltBit : 0) |
           (modifiers & Qt::ControlModifier ? ControlBit : 0);
}

struct ButtonTypes {
    std::int32_t down, up, click, doubleClick;  // click and doubleClick -1 when the button has none
};

bool TypesOf(Qt::MouseButton button, ButtonTypes& types) {
    switch (button) {
    case Qt::LeftButton:
        types = {LeftButtonDownEventType, LeftButtonUpEventType, LeftClickEventType, LeftDoubleClickEventType};
        return true;
    case Qt::RightButton:
        types = {RightButtonDownEventType, RightButtonUpEventType, RightClickEventType, RightDoubleClickEventType};
        return true;
    case Qt::MiddleButton: types = {MiddleButtonDownEventType, MiddleButtonUpEventType, -1, -1}; return true;
    default: return false;
    }
}

int Floor(qreal value) {
    constexpr qreal limit = std::numeric_limits<std::int32_t>::max();
    return static_cast<int>(std::clamp(std::floor(value), -limit, limit));
}

void ReleaseEventData(void* data) { delete static_cast<CanvasEventData*>(data); }

Qt::CursorShape ShapeOf(int selection) {
    static constexpr Qt::CursorShape shapes[] = {Qt::ArrowCursor,        Qt::CrossCursor,     Qt::IBeamCursor,
                                                 Qt::PointingHandCursor, Qt::WaitCursor,      Qt::ForbiddenCursor,
                                                 Qt::SizeAllCursor,      Qt::SizeHorCursor,   Qt::SizeVerCursor,
                                                 Qt::SizeFDiagCursor,    Qt::SizeBDiagCursor, Qt::BlankCursor};
    return shapes[selection];
}

}  // namespace

CanvasWidget::CanvasWidget(QWidget* parent, std::uint32_t flags, int width, int height)
    : QWidget(parent), flags_(flags), edge_(flags & CanvasBorder ? EdgeWidth : 0),
      buffer_(std::make_unique<BackBuffer>(width - 2 * edge_, height - 2 * edge_)) {
    // Nothing is ever filled behind the picture: no flash of a background colour.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setMouseTracking(true);
    setFocusPolicy(flags & CanvasKeyboard ? Qt::StrongFocus : Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
}

CanvasWidget::~CanvasWidget() {
    if (confineOwner == this)
        releaseConfinement();
}

bool CanvasWidget::isConfineOwner() const { return confineOwner == this; }
bool CanvasWidget::holdsCapture() const { return captureHolder == this; }

void CanvasWidget::resizeEvent(QResizeEvent* event) {
    const int width = std::max(1, this->width() - 2 * edge_);
    const int height = std::max(1, this->height() - 2 * edge_);
    if (width != buffer_->width() || height != buffer_->height()) {
        auto remade = std::make_unique<BackBuffer>(width, height);
        remade->copyFrom(*buffer_);
        buffer_ = std::move(remade);
    }
    QWidget::resizeEvent(event);
}

QPoint CanvasWidget::clientPosition(QPointF widgetPosition) const {
    QPoint client(Floor(widgetPosition.x()) - edge_, Floor(widgetPosition.y()) - edge_);
    if (confineOwner == this) {
        client.setX(std::clamp(client.x(), 0, buffer_->width() - 1));
        client.setY(std::clamp(client.y(), 0, buffer_->height() - 1));
    }
    return client;
}

CanvasEventData CanvasWidget::eventData(QPoint client, Qt::MouseButtons buttons,
                                        Qt::KeyboardModifiers modifiers) const {
    return CanvasEventData{client.x(), client.y(), ButtonBits(buttons), 0, ModifierBits(modifiers), 0, 0};
}

CanvasEventData CanvasWidget::pointerData() const {
    return eventData(clientPosition(QPointF(mapFromGlobal(QCursor::pos()))), QGuiApplication::mouseButtons(),
                     QGuiApplication::queryKeyboardModifiers());
}

void CanvasWidget::post(std::int32_t type, const CanvasEventData& data) const {
    if (control_)
        control_->post(type, new CanvasEventData(data), ReleaseEventData);
}

void CanvasWidget::mouseMoveEvent(QMouseEvent* event) {
    ++scrlab_canvas_movements;
    const QPoint client = clientPosition(event->position());
    const CanvasEventData data = eventData(client, event->buttons(), event->modifiers());
    if (!pointerInside_) {
        pointerInside_ = true;
        post(MouseEnterEventType, data);
        return;
    }
    const QPoint reported(Floor(event->position().x()) - edge_, Floor(event->position().y()) - edge_);
    if (confineOwner == this && !confinedByWindowSystem && reported != client)
        QCursor::setPos(mapToGlobal(client + QPoint(edge_, edge_)));
    post(MouseMoveEventType, data);
}

void CanvasWidget::leaveEvent(QEvent* event) {
    if (pointerInside_) {
        pointerInside_ = false;
        post(MouseLeaveEventType, pointerData());
    }
    QWidget::leaveEvent(event);
}

void CanvasWidget::press(QMouseEvent* event, Press kind) {
    ButtonTypes types;
    if (!TypesOf(event->button(), types)) {
        event->ignore();
        return;
    }
    if (ButtonBits(event->buttons()) == ButtonBits(event->button())) {
        captureHolder = this;
        if (flags_ & CanvasConfinePointer)
            confine();
    }
    const CanvasEventData data = eventData(clientPosition(event->position()), event->buttons(), event->modifiers());
    post(types.down, data);
    if (kind == Press::Double && types.doubleClick >= 0)
        post(types.doubleClick, data);
}

void CanvasWidget::mousePressEvent(QMouseEvent* event) { press(event, Press::Single); }
void CanvasWidget::mouseDoubleClickEvent(QMouseEvent* event) { press(event, Press::Double); }

void CanvasWidget::mouseReleaseEvent(QMouseEvent* event) {
    ButtonTypes types;
    if (!TypesOf(event->button(), types)) {
        event->ignore();
        return;
    }
    const QPoint client = clientPosition(event->position());
    const bool click = types.click >= 0 && client.x() >= 0 && client.x() < width() && client.y() >= 0 &&
                       client.y() < height() && captureHolder == this;
    const CanvasEventData data = eventData(client, event->buttons(), event->modifiers());
    if (ButtonBits(event->buttons()) == 0) {
        if (!(flags_ & CanvasConfinePointer))
            captureHolder = nullptr;
        else if (confineOwner == this)
            releaseConfinement();
    }
    post(types.up, data);
    if (click)
        post(types.click, data);
}

void CanvasWidget::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta == 0) {  // sideways scrolling is not this control's
        event->ignore();
        return;
    }
    // The window system reports a signed 16-bit delta.
    wheelAccumulator += std::clamp(delta, -32768, 32767);
    const std::int32_t notches = wheelAccumulator / WheelUnitsPerNotch;
    if (notches == 0)
        return;
    wheelAccumulator -= notches * WheelUnitsPerNotch;
    CanvasEventData data = eventData(clientPosition(event->position()), event->buttons(), event->modifiers());
    data.wheelNotches = notches;
    post(MouseWheelEventType, data);
}

void CanvasWidget::keyPressEvent(QKeyEvent* event) {
    CanvasEventData data = pointerData();
    data.modifiers = ModifierBits(event->modifiers());
    data.key = VirtualKeyOf(*event);
    post(KeyDownEventType, data);
    data.key = 0;
    for (char32_t code : event->text().toUcs4()) {
        if (code < 32)
            continue;
        data.inputCharacter = code <= 255 ? static_cast<std::int32_t>(code) : '?';
        post(InputEventType, data);
    }
}

void CanvasWidget::keyReleaseEvent(QKeyEvent* event) {
    if (event->isAutoRepeat())  // a held key goes up once, when it is let go
        return;
    CanvasEventData data = pointerData();
    data.modifiers = ModifierBits(event->modifiers());
    data.key = VirtualKeyOf(*event);
    post(KeyUpEventType, data);
}

void CanvasWidget::focusInEvent(QFocusEvent* event) {
    post(FocusEventType, pointerData());
    update();
    QWidget::focusInEvent(event);
}

void CanvasWidget::focusOutEvent(QFocusEvent* event) {
    post(LostFocusEventType, pointerData());
    update();
    QWidget::focusOutEvent(event);
}

void CanvasWidget::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        if (!isEnabled() && confineOwner == this) {
            const QPointer<CanvasWidget> holder = captureHolder;
            releaseConfinement();
            captureHolder = holder;  // disabling frees the pointer, not the capture
        }
        update();
    }
    QWidget::changeEvent(event);
}

void CanvasWidget::confine() {
    confineOwner = this;
    captureHolder = this;
    confinedByWindowSystem = ConfinePointerTo(this);
}

void CanvasWidget::releaseConfinement() {
    if (confinedByWindowSystem)
        ReleasePointerConfinement();
    else if (QWidget::mouseGrabber() == this)
        releaseMouse();
    confinedByWindowSystem = false;
    confineOwner = nullptr;
    captureHolder = nullptr;
}

void CanvasWidget::setCursorSelection(int selection) {
    cursorSelection_ = selection;
    setCursor(ShapeOf(selection));
}

std::int32_t CanvasWheelRemainder() { return wheelAccumulator; }

std::int32_t CanvasWidget::canvasAttribute(int attribute) const {
    if (attribute == BackBufferAttribute)
        return buffer_->handle();
    if (attribute == CursorAttribute)
        return cursorSelection_ == CustomCursorSelection ? -1 : cursorSelection_;
    if (attribute == PointerConfinedAttribute)
        return confineOwner == this ? 1 : 0;
    if (attribute == CustomCursorAttribute)
        return cursorSelection_ == CustomCursorSelection ? customCursor_ : 0;
    if (!control_ || CurrentEventKind() != ControlEvent || CurrentEventSource() != control_->number() ||
        !CurrentEventData())
        return 0;
    const auto& data = *static_cast<const CanvasEventData*>(CurrentEventData());
    switch (attribute) {
    case MouseXAttribute: return data.mouseX;
    case MouseYAttribute: return data.mouseY;
    case ButtonsAttribute: return data.buttons;
    case KeyAttribute: return data.key;
    case ModifiersAttribute: return data.modifiers;
    case WheelNotchesAttribute: return data.wheelNotches;
    case InputCharacterAttribute: return data.inputCharacter;
    default: return 0;
    }
}

void CanvasWidget::setCanvasAttribute(int attribute, std::intptr_t value) {
    switch (attribute) {
    case BackBufferAttribute:
        if (value == static_cast<std::int32_t>(value)) {
            if (const BackBuffer* image = BackBufferOfHandle(static_cast<std::int32_t>(value))) {
                if (image != buffer_.get())
                    buffer_->copyFrom(*image);
                repaint();
            }
        }
        break;
    case CursorAttribute:
        if (value >= ArrowCursor && value <= NoCursor)
            setCursorSelection(static_cast<int>(value));
        break;
    case PointerConfinedAttribute:
        if (value != 0 && confineOwner != this) {
            if (confineOwner)
                confineOwner->releaseConfinement();
            confine();
            if (!confinedByWindowSystem)
                grabMouse();
        } else if (value == 0 && confineOwner == this) {
            releaseConfinement();
        }
        break;
    case CustomCursorAttribute:
        if (value == static_cast<std::int32_t>(value)) {
            if (const QCursor* cursor = CursorOfHandle(static_cast<std::int32_t>(value))) {
                cursorSelection_ = CustomCursorSelection;
                customCursor_ = static_cast<std::int32_t>(value);
                setCursor(*cursor);
            }
        }
        break;
    default: break;
    }
}

}  // namespace toolkit
