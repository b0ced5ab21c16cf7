#include <QApplication>

#include "toolkit/windows/window_qt.h"

namespace toolkit {

ModalRequesterScope::ModalRequesterScope() : owner_(QApplication::activeWindow()) {}

ModalRequesterScope::~ModalRequesterScope() {
    if (QWidget* window = owner_.data()) {
        if (window->isVisible() && !window->isActiveWindow()) {
            window->raise();
            window->activateWindow();
        }
    }
}

}  // namespace toolkit
