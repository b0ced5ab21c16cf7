#include "scrtool/transforms.h"

#include <array>
#include <cstdint>

#include "scrtool/command_line.h"
#include "scrtool/mode_input.h"
#include "scrtool/run_context.h"
#include "screen/operations.h"

namespace scrtool {

void ApplyTransform(const Invocation& invocation, Screen& screen) {
    if (invocation.command->operation) {
        // The outline operations work through a scratch plane, as the window's do.
        std::array<std::uint8_t, screen::ScreenSize> scratch{};
        invocation.command->operation->apply(screen, scratch);
    } else if (invocation.byteOpIndex >= MinByteOpIndex) {
        screen::ApplyByteOperation(screen, invocation.byteOpIndex, invocation.b1, invocation.b2);
    }
}

std::string CheckByteOp(Invocation& inv) {
    const int last = static_cast<int>(screen::ByteOperations.size()) - 1;
    const std::optional<int> index = WholeNumber(inv.operands[0], MinByteOpIndex, last);
    if (!index)
        return "bad byte operation index " + Quoted(inv.operands[0]) + " (" + RangeText(MinByteOpIndex, last) + ")";
    inv.byteOpIndex = *index;
    inv.b1 = inv.operands[1];
    inv.b2 = inv.operands[2];
    return {};
}

Writes TransformWrites(const Invocation& inv, const std::string& input) {
    return {{inv.inPlace ? input : *inv.output}, {}};
}

bool RunTransform(RunContext& run, const Invocation& inv, const std::string& input) {
    base::Result<Screen> read = ReadClassicScreen(input, inv.command->name);
    if (!read)
        return Failed(InputName(input), read.error());
    ApplyTransform(inv, *read);
    return Write(run, TransformWrites(inv, input).files[0], *read);
}

}  // namespace scrtool
