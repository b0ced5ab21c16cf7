#include "toolkit/windows/key_codes_qt.h"

#include <QKeyEvent>

#include "toolkit/windows/windows.h"

namespace toolkit {
namespace {

struct KeyPair {
    int qtKey;
    std::uint16_t virtualKey;
};

// Keys whose Qt number differs from their virtual-key code.
constexpr KeyPair NamedKeys[] = {
    {Qt::Key_Backspace, 0x08},
    {Qt::Key_Tab, 0x09},
    {Qt::Key_Backtab, 0x09},
    {Qt::Key_Clear, 0x0C},
    {Qt::Key_Return, 0x0D},
    {Qt::Key_Enter, 0x0D},
    {Qt::Key_Pause, 0x13},
    {Qt::Key_CapsLock, 0x14},
    {Qt::Key_Escape, 0x1B},
    {Qt::Key_Space, 0x20},
    {Qt::Key_PageUp, 0x21},
    {Qt::Key_PageDown, 0x22},
    {Qt::Key_End, 0x23},
    {Qt::Key_Home, 0x24},
    {Qt::Key_Left, 0x25},
    {Qt::Key_Up, 0x26},
    {Qt::Key_Right, 0x27},
    {Qt::Key_Down, 0x28},
    {Qt::Key_Print, 0x2C},
    {Qt::Key_Insert, 0x2D},
    {Qt::Key_Delete, 0x2E},
    {Qt::Key_Help, 0x2F},
    {Qt::Key_Menu, 0x5D},
    {Qt::Key_NumLock, 0x90},
    {Qt::Key_ScrollLock, 0x91},
    // Punctuation keys as they sit on a US keyboard.
    {Qt::Key_Semicolon, 0xBA},
    {Qt::Key_Colon, 0xBA},
    {Qt::Key_Equal, 0xBB},
    {Qt::Key_Plus, 0xBB},
    {Qt::Key_Comma, 0xBC},
    {Qt::Key_Less, 0xBC},
    {Qt::Key_Minus, 0xBD},
    {Qt::Key_Underscore, 0xBD},
    {Qt::Key_Period, 0xBE},
    {Qt::Key_Greater, 0xBE},
    {Qt::Key_Slash, 0xBF},
    {Qt::Key_Question, 0xBF},
    {Qt::Key_QuoteLeft, 0xC0},
    {Qt::Key_AsciiTilde, 0xC0},
    {Qt::Key_BracketLeft, 0xDB},
    {Qt::Key_BraceLeft, 0xDB},
    {Qt::Key_Backslash, 0xDC},
    {Qt::Key_Bar, 0xDC},
    {Qt::Key_BracketRight, 0xDD},
    {Qt::Key_BraceRight, 0xDD},
    {Qt::Key_Apostrophe, 0xDE},
    {Qt::Key_QuoteDbl, 0xDE},
};

// With Shift held Qt reports the symbol printed above a digit; a US keyboard
// has these, so Shift+1 still finds the entry for the digit 1.
constexpr KeyPair ShiftedDigits[] = {
    {Qt::Key_Exclam, '1'},    {Qt::Key_At, '2'},          {Qt::Key_NumberSign, '3'}, {Qt::Key_Dollar, '4'},
    {Qt::Key_Percent, '5'},   {Qt::Key_AsciiCircum, '6'}, {Qt::Key_Ampersand, '7'},  {Qt::Key_Asterisk, '8'},
    {Qt::Key_ParenLeft, '9'}, {Qt::Key_ParenRight, '0'},
};

// Number-pad operators have keys of their own.
constexpr KeyPair KeypadOperators[] = {
    {Qt::Key_Asterisk, 0x6A}, {Qt::Key_Plus, 0x6B},  {Qt::Key_Minus, 0x6D},
    {Qt::Key_Period, 0x6E},   {Qt::Key_Comma, 0x6E}, {Qt::Key_Slash, 0x6F},
};

constexpr std::uint16_t FirstFunctionKey = 0x70;  // F1
constexpr std::uint16_t FirstKeypadDigit = 0x60;  // number pad 0
constexpr int FunctionKeyCount = 24;

std::optional<std::uint16_t> Find(const KeyPair* begin, const KeyPair* end, int qtKey) {
    for (const KeyPair* pair = begin; pair != end; ++pair)
        if (pair->qtKey == qtKey)
            return pair->virtualKey;
    return std::nullopt;
}

}  // namespace

std::optional<std::uint16_t> VirtualKeyOf(int qtKey, bool keypad) {
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
        int digit = qtKey - Qt::Key_0;
        return static_cast<std::uint16_t>(keypad ? FirstKeypadDigit + digit : '0' + digit);
    }
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return static_cast<std::uint16_t>('A' + (qtKey - Qt::Key_A));
    if (qtKey >= Qt::Key_F1 && qtKey < Qt::Key_F1 + FunctionKeyCount)
        return static_cast<std::uint16_t>(FirstFunctionKey + (qtKey - Qt::Key_F1));
    if (keypad)
        if (auto key = Find(std::begin(KeypadOperators), std::end(KeypadOperators), qtKey))
            return key;
    if (auto key = Find(std::begin(NamedKeys), std::end(NamedKeys), qtKey))
        return key;
    return Find(std::begin(ShiftedDigits), std::end(ShiftedDigits), qtKey);
}

std::uint32_t ShortcutModifiersOf(Qt::KeyboardModifiers modifiers) {
    std::uint32_t bits = 0;
    if (modifiers & Qt::ShiftModifier)
        bits |= ShortcutShift;
    if (modifiers & Qt::ControlModifier)
        bits |= ShortcutControl;
    if (modifiers & Qt::AltModifier)
        bits |= ShortcutAlt;
    return bits;
}

std::optional<std::uint32_t> ShortcutValueOf(const QKeyEvent& event) {
    auto key = VirtualKeyOf(event.key(), event.modifiers() & Qt::KeypadModifier);
    if (!key)
        return std::nullopt;
    std::uint32_t modifiers = ShortcutModifiersOf(event.modifiers());
    if (event.key() == Qt::Key_Backtab)
        modifiers |= ShortcutShift;  // Shift+Tab arrives as a key of its own
    return modifiers | *key;
}

}  // namespace toolkit
