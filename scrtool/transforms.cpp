#include "scrtool/transforms.h"

#include <array>
#include <cstdint>

#include "screen/operations.h"

namespace scrtool {

void ApplyTransform(const Invocation& invocation, Screen& screen) {
    const CommandSpec& command = *invocation.command;
    if (command.operation) {
        // The outline operations work through a scratch plane, as the window's do.
        std::array<std::uint8_t, screen::ScreenSize> scratch{};
        command.operation->apply(screen, scratch);
    } else if (command.action == Action::ByteOp) {
        screen::ApplyByteOperation(screen, invocation.byteOpIndex, invocation.b1, invocation.b2);
    }
}

}  // namespace scrtool
