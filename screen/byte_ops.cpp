#include "screen/byte_ops.h"

#include <cstddef>

#include "screen/operations.h"

namespace screen {

namespace {

// Value of `c` as a digit of `base` (2, 10 or 16), or -1 when it is none.
int DigitValue(char c, unsigned base) {
    int value = -1;
    if (c >= '0' && c <= '9') {
        value = c - '0';
    } else if (base == 16 && c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    } else if (base == 16 && c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    }
    return value >= 0 && static_cast<unsigned>(value) < base ? value : -1;
}

template <typename Rule>
void ForEach(std::uint8_t* attributes, Rule rule) {
    for (int index = 0; index < AttributeCount; ++index) {
        attributes[index] = rule(attributes[index]);
    }
}

std::uint8_t ChangeInk(std::uint8_t a, std::uint8_t b1, std::uint8_t b2) {
    // All eight bits of b2 go in, so a b2 above 7 also sets paper, BRIGHT or FLASH.
    return (a & InkMask) == b1 ? static_cast<std::uint8_t>((a & ~InkMask) | b2) : a;
}

std::uint8_t ChangePaper(std::uint8_t a, std::uint8_t b1, std::uint8_t b2) {
    // b1 x 8 keeps all its bits, so a b1 above 7 never matches; b2 x 8 loses
    // its top three bits when it lands in the byte.
    if ((a & PaperMask) != b1 * 8) {
        return a;
    }
    return static_cast<std::uint8_t>(((a & ~PaperMask) | (b2 * 8)) & 0xFF);
}

}  // namespace

std::int64_t TextToNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    unsigned base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i < text.size() && text[i] == '%') {
        base = 2;
        ++i;
    }
    // Unsigned, so that a digit run too long for 64 bits wraps instead of
    // overflowing; only the low eight bits are ever used.
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i], base);
        if (digit < 0) {
            break;
        }
        value = value * base + static_cast<unsigned>(digit);
    }
    if (negative) {
        value = 0 - value;
    }
    return static_cast<std::int64_t>(value);
}

void ReplaceB1ByB2(std::uint8_t* attributes, std::uint8_t b1, std::uint8_t b2) {
    ForEach(attributes, [=](std::uint8_t a) { return a == b1 ? b2 : a; });
}

void AndB2(std::uint8_t* attributes, std::uint8_t, std::uint8_t b2) {
    ForEach(attributes, [=](std::uint8_t a) { return static_cast<std::uint8_t>(a & b2); });
}

void OrB2(std::uint8_t* attributes, std::uint8_t, std::uint8_t b2) {
    ForEach(attributes, [=](std::uint8_t a) { return static_cast<std::uint8_t>(a | b2); });
}

void XorB2(std::uint8_t* attributes, std::uint8_t, std::uint8_t b2) {
    ForEach(attributes, [=](std::uint8_t a) { return static_cast<std::uint8_t>(a ^ b2); });
}

void ChangeInkB1ToB2(std::uint8_t* attributes, std::uint8_t b1, std::uint8_t b2) {
    ForEach(attributes, [=](std::uint8_t a) { return ChangeInk(a, b1, b2); });
}

void ChangePaperB1ToB2(std::uint8_t* attributes, std::uint8_t b1, std::uint8_t b2) {
    ForEach(attributes, [=](std::uint8_t a) { return ChangePaper(a, b1, b2); });
}

void ChangeBothB1ToB2(std::uint8_t* attributes, std::uint8_t b1, std::uint8_t b2) {
    ForEach(attributes, [=](std::uint8_t a) { return ChangePaper(ChangeInk(a, b1, b2), b1, b2); });
}

void ApplyByteOperation(ScreenSpan screen, int index, std::string_view b1Text, std::string_view b2Text) {
    const auto b1 = static_cast<std::uint8_t>(TextToNumber(b1Text));
    const auto b2 = static_cast<std::uint8_t>(TextToNumber(b2Text));
    // "choose byte operations" and unknown indices: every byte stays as read.
    if (index < 0 || static_cast<std::size_t>(index) >= ByteOperations.size() || !ByteOperations[index].apply)
        return;
    ByteOperations[index].apply(screen.data() + AttributeStart, b1, b2);
}

}  // namespace screen
