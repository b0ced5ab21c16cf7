#include "scrtool/transforms.h"

#include <algorithm>

#include "scrtool/command_line.h"
#include "scrtool/run_context.h"
#include "screen/operations.h"

namespace scrtool {

void ApplyTransform(const Invocation& invocation, Screen& screen) {
    // A store of its own per screen, as the window holds one: the outline
    // operations need its scratch plane, and the undo copy they take is harmless.
    screen::ScreenStore store;
    std::copy(screen.begin(), screen.end(), store.working());
    if (invocation.command->operation)
        invocation.command->operation->apply(store);
    else if (invocation.byteOpIndex >= MinByteOpIndex)
        screen::ApplyByteOperation(store, invocation.byteOpIndex, invocation.b1, invocation.b2);
    else
        return;
    std::copy_n(store.working(), screen.size(), screen.begin());
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
    base::Result<Screen> read = ReadScreen(input);
    if (!read)
        return Failed(InputName(input), read.error());
    ApplyTransform(inv, *read);
    return Write(run, TransformWrites(inv, input).files[0], *read);
}

}  // namespace scrtool
