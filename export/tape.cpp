#include "export/tape.h"

#include "export/source_text.h"
#include "screen/screen_layout.h"

namespace exporter {
namespace {

// BASIC keyword tokens and the marks the ROM puts in a program line.
constexpr std::uint8_t LoadToken = 0xEF;
constexpr std::uint8_t ScreenToken = 0xAA;
constexpr std::uint8_t PauseToken = 0xF2;
constexpr std::uint8_t NumberMark = 0x0E;  // five bytes of the number's value follow its digits
constexpr std::uint8_t LineEnd = 0x0D;
constexpr std::uint8_t Quote = '"';
constexpr std::uint8_t Colon = ':';
constexpr int HeaderBytes = 17;
constexpr int CodeParameter2 = 32768;  // what SAVE ... CODE puts there

void Put16(std::vector<std::uint8_t>& bytes, int value) {
    bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

void AddBlock(std::vector<std::uint8_t>& tape, std::uint8_t flag, const std::vector<std::uint8_t>& payload) {
    Put16(tape, static_cast<int>(payload.size()) + 2);
    tape.push_back(flag);
    std::uint8_t checksum = flag;
    for (std::uint8_t byte : payload) {
        tape.push_back(byte);
        checksum ^= byte;
    }
    tape.push_back(checksum);
}

std::vector<std::uint8_t> Header(std::uint8_t type, std::string_view name, int length, int parameter1, int parameter2) {
    std::vector<std::uint8_t> bytes{type};
    for (int i = 0; i < TapeNameLength; ++i)
        bytes.push_back(i < static_cast<int>(name.size()) ? static_cast<std::uint8_t>(name[i]) : ' ');
    Put16(bytes, length);
    Put16(bytes, parameter1);
    Put16(bytes, parameter2);
    return bytes;
}

std::vector<std::uint8_t> LoaderProgram() {
    const std::vector<std::uint8_t> text{LoadToken,  Quote, Quote, ScreenToken, Colon, PauseToken, '0',
                                         NumberMark, 0,     0,     0,           0,     0,          LineEnd};
    std::vector<std::uint8_t> program{0, LoaderLine};  // line numbers are big-endian
    Put16(program, static_cast<int>(text.size()));
    program.insert(program.end(), text.begin(), text.end());
    return program;
}

}  // namespace

bool ValidTapeName(std::string_view name) {
    if (name.size() > TapeNameLength)
        return false;
    for (char ch : name)
        if (ch < 0x20 || ch > 0x7E)
            return false;
    return true;
}

std::string TapeNameFrom(std::string_view fileName) {
    std::string name;
    for (char ch : FileStem(fileName))
        if (ch >= 0x20 && ch <= 0x7E && name.size() < TapeNameLength)
            name += ch;
    return name;
}

std::vector<std::uint8_t> ScreenTape(std::span<const std::uint8_t> screen, std::string_view name) {
    static_assert(HeaderBytes == 1 + TapeNameLength + 6);
    const auto program = LoaderProgram();
    const int programLength = static_cast<int>(program.size());
    std::vector<std::uint8_t> tape;
    AddBlock(tape, HeaderFlag, Header(ProgramType, name, programLength, LoaderLine, programLength));
    AddBlock(tape, DataFlag, program);
    AddBlock(tape, HeaderFlag, Header(CodeType, name, screen::ScreenSize, ScreenLoadAddress, CodeParameter2));
    AddBlock(tape, DataFlag, std::vector<std::uint8_t>(screen.begin(), screen.begin() + screen::ScreenSize));
    return tape;
}

}  // namespace exporter
