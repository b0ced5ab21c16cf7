// The drop-down list: the user picks one of its items, nothing is typed.
// Only a pick that changes the selection is reported.

#include <QComboBox>

#include "toolkit/controls/control_qt.h"
#include "toolkit/controls/controls.h"

namespace toolkit {
namespace {

// Enough rows that the program's eight operations open without a scroll bar.
constexpr int VisibleListRows = 10;

class ComboBoxControl : public Control {
public:
    explicit ComboBoxControl(QComboBox* combo) : Control(ControlKind::ComboBox, combo) {
        // activated is the user's pick (mouse, keys or wheel), also of the
        // item already selected; the program's own changes never raise it.
        QObject::connect(combo, &QComboBox::activated, combo, [this](int index) {
            if (index == reported_)
                return;
            reported_ = index;
            post(ChangeEventType);
        });
    }
    int state() const override { return combo()->currentIndex(); }
    void setState(int value) override {
        combo()->setCurrentIndex(value >= 0 && value < combo()->count() ? value : -1);
        reported_ = combo()->currentIndex();
    }
    std::string text() const override {
        return combo()->currentIndex() < 0 ? std::string() : combo()->currentText().toStdString();
    }
    void addItem(int position, const std::string& text) override {
        QComboBox* box = combo();
        if (position < AppendItem || position > box->count())
            return;
        int selected = box->currentIndex();
        box->insertItem(position == AppendItem ? box->count() : position,
                        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        // Qt selects the first item put into an empty list; the selection
        // stays empty until the program or the user chooses.
        if (selected < 0)
            box->setCurrentIndex(-1);
        reported_ = box->currentIndex();
    }

private:
    QComboBox* combo() const { return static_cast<QComboBox*>(widget()); }
    int reported_ = -1;
};

}  // namespace

std::intptr_t CreateComboBox(int number, int x, int y, int width, int height) {
    QWidget* container = ContainerForNewControl(number);
    if (!container)
        return 0;
    auto* combo = new QComboBox(container);
    combo->setEditable(false);
    combo->setMaxVisibleItems(VisibleListRows);
    combo->setFocusPolicy(Qt::StrongFocus);
    // The closed box is exactly the height asked for, whatever the style
    // would like; setGeometry in PlaceControl fixes it.
    combo->setMinimumHeight(0);
    return PlaceControl(number, std::make_unique<ComboBoxControl>(combo), x, y, width, height);
}

}  // namespace toolkit
