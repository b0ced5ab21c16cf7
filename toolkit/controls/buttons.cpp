// The checkbox and the push button: both report a click as type 0, the
// checkbox only after its mark has changed.

#include <QCheckBox>
#include <QPushButton>

#include "toolkit/controls/control_qt.h"
#include "toolkit/controls/controls.h"

namespace toolkit {
namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

class CheckBoxControl : public Control {
public:
    explicit CheckBoxControl(QCheckBox* box) : Control(ControlKind::CheckBox, box) {
        // clicked comes after the toggle, and only from the mouse or Space.
        QObject::connect(box, &QCheckBox::clicked, box, [this] { post(ClickEventType); });
    }
    int state() const override {
        switch (box()->checkState()) {
        case Qt::Checked: return 1;
        case Qt::PartiallyChecked: return -1;
        default: return 0;
        }
    }
    void setState(int value) override {
        if (value == 0 || value == 1)
            box()->setChecked(value == 1);
    }
    std::string text() const override { return box()->text().toStdString(); }

private:
    QCheckBox* box() const { return static_cast<QCheckBox*>(widget()); }
};

class ButtonControl : public Control {
public:
    explicit ButtonControl(QPushButton* button) : Control(ControlKind::Button, button) {
        QObject::connect(button, &QPushButton::clicked, button, [this] { post(ClickEventType); });
    }
    std::string text() const override { return static_cast<QPushButton*>(widget())->text().toStdString(); }
};

}  // namespace

std::intptr_t CreateCheckBox(int number, int x, int y, int width, int height, const std::string& caption) {
    QWidget* container = ContainerForNewControl(number);
    if (!container)
        return 0;
    auto* box = new QCheckBox(FromUtf8(caption), container);
    return PlaceControl(number, std::make_unique<CheckBoxControl>(box), x, y, width, height);
}

std::intptr_t CreateButton(int number, int x, int y, int width, int height, const std::string& caption) {
    QWidget* container = ContainerForNewControl(number);
    if (!container)
        return 0;
    auto* button = new QPushButton(FromUtf8(caption), container);
    button->setAutoDefault(false);  // Return in a text field must not press it
    return PlaceControl(number, std::make_unique<ButtonControl>(button), x, y, width, height);
}

}  // namespace toolkit
