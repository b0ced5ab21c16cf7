// Operand texts of any bytes: the number must be what the digits say, read by
// a second, plainly written reader, and nothing may overflow on the way.

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string_view>

#include "screen/byte_ops.h"

namespace {

struct Reading {
    bool negative = false;
    int base = 10;
    std::string_view digits;  // the whole run of digits of the base
};

bool IsDigitOf(char c, int base) {
    if (base == 2)
        return c == '0' || c == '1';
    if (base == 16)
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    return c >= '0' && c <= '9';
}

Reading Read(std::string_view text) {
    Reading reading;
    text.remove_prefix(std::min(text.find_first_not_of(" \t"), text.size()));
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        reading.negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (!text.empty() && (text.front() == '$' || text.front() == '%')) {
        reading.base = text.front() == '$' ? 16 : 2;
        text.remove_prefix(1);
    }
    std::size_t length = 0;
    while (length < text.size() && IsDigitOf(text[length], reading.base))
        ++length;
    reading.digits = text.substr(0, length);
    return reading;
}

// The low eight bits of the digit run's value: only the last digits matter.
std::uint8_t LowByte(const Reading& reading) {
    std::uint8_t value = 0;
    for (char c : reading.digits) {
        int digit = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
        value = static_cast<std::uint8_t>(value * reading.base + digit);
    }
    return reading.negative ? static_cast<std::uint8_t>(-value) : value;
}

[[noreturn]] void Fail(const char* law, std::string_view text) {
    std::fprintf(stderr, "law broken: %s (text of %zu bytes)\n", law, text.size());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::int64_t number = screen::TextToNumber(text);
    const Reading reading = Read(text);

    if (static_cast<std::uint8_t>(number) != LowByte(reading))
        Fail("the operand is the digits' value modulo 256", text);
    // Where the value fits, it is exactly the value of the digits.
    const std::size_t fits = reading.base == 10 ? 18 : reading.base == 16 ? 15 : 62;
    if (reading.digits.size() <= fits) {
        std::int64_t value = 0;
        if (!reading.digits.empty())
            std::from_chars(reading.digits.data(), reading.digits.data() + reading.digits.size(), value, reading.base);
        if (number != (reading.negative ? -value : value))
            Fail("a short number is read exactly", text);
    }
    // Whatever follows the digits is ignored.
    if (reading.digits.data() + reading.digits.size() < text.data() + text.size()) {
        const std::size_t kept = static_cast<std::size_t>(reading.digits.data() - text.data()) + reading.digits.size();
        if (screen::TextToNumber(text.substr(0, kept)) != number)
            Fail("the rest after the digits changes nothing", text);
    }
    return 0;
}
