#include <QKeyEvent>

#include "toolkit/canvas/canvas_qt.h"
#include "toolkit/windows/key_codes_qt.h"

namespace toolkit {

std::int32_t VirtualKeyOf(const QKeyEvent& event) {
    // Shortcuts never name the modifier keys themselves; a canvas reports them.
    switch (event.key()) {
    case Qt::Key_Shift: return 0x10;
    case Qt::Key_Control: return 0x11;
    case Qt::Key_Alt: return 0x12;
    case Qt::Key_Meta: return 0x5B;
    default: return VirtualKeyOf(event.key(), event.modifiers() & Qt::KeypadModifier).value_or(0);
    }
}

}  // namespace toolkit
