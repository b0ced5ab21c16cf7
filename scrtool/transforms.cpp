#include "scrtool/transforms.h"

#include <algorithm>

#include "screen/operations.h"

namespace scrtool {

void ApplyTransform(const Invocation& invocation, Screen& screen) {
    // A store of its own per screen, as the window holds one: the outline
    // operations need its scratch plane, and the undo copy they take is harmless.
    screen::ScreenStore store;
    std::copy(screen.begin(), screen.end(), store.working());
    const CommandSpec& command = *invocation.command;
    if (command.operation)
        command.operation->apply(store);
    else if (command.action == Action::ByteOp)
        screen::ApplyByteOperation(store, invocation.byteOpIndex, invocation.b1, invocation.b2);
    else
        return;
    std::copy_n(store.working(), screen.size(), screen.begin());
}

}  // namespace scrtool
