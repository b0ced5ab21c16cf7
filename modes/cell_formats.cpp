#include "modes/cell_formats.h"

#include <array>
#include <utility>

namespace modes {

const CellFormat* CellFormatOfRow(std::string_view row) {
    static constexpr std::array<std::pair<std::string_view, const CellFormat*>, 8> Rows{{
        {"classic", &ClassicCells},
        {"ulaplus", &UlaPlusScreenCells},
        {"timex-hicolour", &TimexHiColourCells},
        {"timex-hicolour-ulaplus", &TimexHiColourUlaPlusCells},
        {"gigascreen", &GigascreenCells},
        {"mlt", &MltCells},
        {"mc", &McCells},
        {"ifl", &IflCells},
    }};
    for (const auto& [name, format] : Rows)
        if (name == row)
            return format;
    return nullptr;
}

}  // namespace modes
