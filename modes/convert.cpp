#include "modes/convert.h"

#include "modes/cell_formats.h"
#include "modes/mode_error.h"

namespace modes {

base::Result<std::vector<std::uint8_t>> ConvertExactly(const PictureMode& from, Bytes bytes, const PictureMode& to) {
    const CellFormat* source = CellFormatOfRow(from.name);
    const CellFormat* target = CellFormatOfRow(to.name);
    if (source != nullptr && target != nullptr)
        return TranscodeCells(*source, bytes, *target);
    if (to.encode == nullptr)
        return ModeError(ModeErrc::DoesNotFit, "no picture is written in the " + std::string(to.name) + " mode");
    auto picture = from.decode(bytes, screen::FlashPhase::First);
    if (!picture)
        return picture.error();
    return to.encode(*picture);
}

}  // namespace modes
