#pragma once
// Inside the toolkit: shortcut keys are given as the desktop's virtual-key
// codes; Qt reports its own key numbers. This maps one onto the other.

#include <cstdint>
#include <optional>

#include <Qt>

class QKeyEvent;

namespace toolkit {

// The virtual-key code of a Qt key, or nothing for a key without one.
// `keypad` tells digits and operators of the number pad apart.
std::optional<std::uint16_t> VirtualKeyOf(int qtKey, bool keypad);

// The modifier bits (ShortcutShift, ShortcutControl, ShortcutAlt) held.
std::uint32_t ShortcutModifiersOf(Qt::KeyboardModifiers modifiers);

// The AddShortcut value a key press matches, or nothing.
std::optional<std::uint32_t> ShortcutValueOf(const QKeyEvent& event);

}  // namespace toolkit
