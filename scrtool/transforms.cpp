#include "scrtool/transforms.h"

#include <algorithm>

#include "screen/byte_ops.h"
#include "screen/outline_ops.h"
#include "screen/screen_store.h"
#include "screen/whole_screen_ops.h"

namespace scrtool {

void ApplyTransform(const Invocation& invocation, Screen& screen) {
    // A store of its own per screen, as the window holds one: the outline
    // operations need its scratch plane, and the undo copy they take is harmless.
    screen::ScreenStore store;
    std::copy(screen.begin(), screen.end(), store.working());
    switch (invocation.command) {
    case Command::Invert: screen::InvertScreen(store); break;
    case Command::Optimize: screen::OptimizeAttributes(store); break;
    case Command::Contour: screen::FindContour(store); break;
    case Command::Mask: screen::CreateMask(store); break;
    case Command::Mirror: screen::MirrorHorisontal(store); break;
    case Command::ByteOp:
        screen::ApplyByteOperation(store, invocation.byteOpIndex, invocation.b1, invocation.b2);
        break;
    default: return;
    }
    std::copy_n(store.working(), screen.size(), screen.begin());
}

} // namespace scrtool
