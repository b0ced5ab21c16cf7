#pragma once
// The seven byte operations over the attribute area, with operands typed as text.

#include <cstdint>
#include <string_view>

#include "screen/screen_layout.h"

namespace screen {

enum class ByteOperation {
    None = 0,         // "choose byte operations"
    Replace = 1,      // "b1 replace to b2"
    And = 2,          // "b1 AND b2"
    Or = 3,           // "b1 OR b2"
    Xor = 4,          // "b1 EOR(xor) b2"
    ChangeInk = 5,    // "Change ink b1 to b2"
    ChangePaper = 6,  // "Change paper b1 to b2"
    ChangeBoth = 7,   // "Change both ink/paper b1 to b2"
};

// Decimal, "$" hexadecimal or "%" binary, after blanks and one sign; stops at
// the first character that is no digit. Long digit runs wrap modulo 2^64.
std::int64_t TextToNumber(std::string_view text);

// Applies the list's operation `index` (a row of ByteOperations in
// screen/operations.h; others change nothing) to the screen's 768 attribute
// bytes with b1, b2 = the texts' low eight bits. No undo copy.
void ApplyByteOperation(ScreenSpan screen, int index, std::string_view b1Text, std::string_view b2Text);

// The list's rules, each over the 768 attribute bytes `attributes`.
using AttributeRule = void (*)(std::uint8_t* attributes, std::uint8_t b1, std::uint8_t b2);
void ReplaceB1ByB2(std::uint8_t* attributes, std::uint8_t b1, std::uint8_t b2);
void AndB2(std::uint8_t* attributes, std::uint8_t b1, std::uint8_t b2);
void OrB2(std::uint8_t* attributes, std::uint8_t b1, std::uint8_t b2);
void XorB2(std::uint8_t* attributes, std::uint8_t b1, std::uint8_t b2);
void ChangeInkB1ToB2(std::uint8_t* attributes, std::uint8_t b1, std::uint8_t b2);
void ChangePaperB1ToB2(std::uint8_t* attributes, std::uint8_t b1, std::uint8_t b2);
void ChangeBothB1ToB2(std::uint8_t* attributes, std::uint8_t b1, std::uint8_t b2);

}  // namespace screen
