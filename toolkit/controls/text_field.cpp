// The single-line text field: it reports user edits and every focus change,
// each focus change twice (as a focus event and as the field's own note).

#include <functional>

#include <QFocusEvent>
#include <QLineEdit>

#include "toolkit/controls/control_qt.h"
#include "toolkit/controls/controls.h"

namespace toolkit {
namespace {

class FieldWidget : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
    std::function<void(bool gained)> focusChanged;

protected:
    // A context menu of the field takes the focus only for a moment; the
    // field keeps it as far as the program is concerned.
    void focusInEvent(QFocusEvent* event) override {
        QLineEdit::focusInEvent(event);
        if (event->reason() != Qt::PopupFocusReason && focusChanged)
            focusChanged(true);
    }
    void focusOutEvent(QFocusEvent* event) override {
        QLineEdit::focusOutEvent(event);
        if (event->reason() != Qt::PopupFocusReason && (isUndoAvailable() || isRedoAvailable()))
            ForgetEditHistory();
        if (event->reason() != Qt::PopupFocusReason && focusChanged)
            focusChanged(false);
    }

private:
    // Qt keeps every keystroke for undo: without this the history, and the
    // memory it takes, grew with everything ever typed into the field. Undo
    // works within one stay of the focus.
    void ForgetEditHistory() {
        const int cursor = cursorPosition();
        setText(text());  // not an edit: raises no event
        setCursorPosition(cursor);
    }
};

class TextFieldControl : public Control {
public:
    explicit TextFieldControl(FieldWidget* field) : Control(ControlKind::TextField, field) {
        field->focusChanged = [this](bool gained) {
            post(gained ? FocusEventType : LostFocusEventType);
            post(gained ? NativeFocusNotification : NativeLostFocusNotification);
        };
        // textEdited comes from the user only, never from setText.
        QObject::connect(field, &QLineEdit::textEdited, field, [this] {
            post(NativeUpdateNotification);
            post(ChangeEventType);
        });
    }
    std::string text() const override { return static_cast<QLineEdit*>(widget())->text().toStdString(); }
};

}  // namespace

std::intptr_t CreateTextField(int number, int x, int y, int width, int height, const std::string& text) {
    QWidget* container = ContainerForNewControl(number);
    if (!container)
        return 0;
    auto* field = new FieldWidget(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), container);
    field->setFrame(true);  // the sunken border
    field->setCursorPosition(0);
    return PlaceControl(number, std::make_unique<TextFieldControl>(field), x, y, width, height);
}

}  // namespace toolkit
