#include "app/shell.h"

namespace app {

std::string TitleStatusLine(int column, int row, std::uint8_t attribute, const std::string& fileName) {
    std::string bits;
    for (int bit = 7; bit >= 0; --bit) {
        bits += (attribute >> bit) & 1 ? '1' : '0';
        if (bit == 6 || bit == 3)
            bits += ':';  // FLASH and BRIGHT : PAPER : INK
    }
    return "x:" + std::to_string(column) + " y:" + std::to_string(row) + " attribute:" + bits + " file:" + fileName;
}

}  // namespace app
