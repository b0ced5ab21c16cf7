#pragma once
// The canvas control: a child control whose face is an off-screen image, its
// back buffer, and which reports raw pointer and keyboard activity over it as
// control events. Attributes are read with GetControlAttribute (controls.h).

#include <cstdint>

#include "toolkit/controls/controls.h"

namespace toolkit {

// CanvasFlags, given at creation; other bits are ignored.
constexpr std::uint32_t CanvasBorder = 1;          // sunken edge; the image is 4 pixels smaller each way
constexpr std::uint32_t CanvasConfinePointer = 2;  // the pointer stays inside while a button is held
constexpr std::uint32_t CanvasKeyboard = 4;        // takes the keyboard focus, is a tab stop
constexpr std::uint32_t CanvasFocusFrame = 8;      // dotted frame over the image while focused

// Control event types of a canvas (FocusEventType and LostFocusEventType are
// shared with the standard controls).
constexpr std::int32_t MouseEnterEventType = 65537;
constexpr std::int32_t MouseLeaveEventType = 65538;
constexpr std::int32_t MouseMoveEventType = 65539;
constexpr std::int32_t LeftButtonDownEventType = 65540;
constexpr std::int32_t LeftButtonUpEventType = 65541;
constexpr std::int32_t RightButtonDownEventType = 65542;
constexpr std::int32_t RightButtonUpEventType = 65543;
constexpr std::int32_t MiddleButtonDownEventType = 65544;
constexpr std::int32_t MiddleButtonUpEventType = 65545;
constexpr std::int32_t MouseWheelEventType = 65546;
constexpr std::int32_t KeyDownEventType = 65547;
constexpr std::int32_t KeyUpEventType = 65548;
constexpr std::int32_t InputEventType = 65549;
constexpr std::int32_t LeftClickEventType = 0;
constexpr std::int32_t RightClickEventType = 1;
constexpr std::int32_t LeftDoubleClickEventType = 2;
constexpr std::int32_t RightDoubleClickEventType = 3;

// Bits of CanvasEventData::buttons and ::modifiers.
constexpr std::int32_t LeftButtonBit = 1;
constexpr std::int32_t RightButtonBit = 2;
constexpr std::int32_t MiddleButtonBit = 4;
constexpr std::int32_t ShiftBit = 1;
constexpr std::int32_t AltBit = 2;
constexpr std::int32_t ControlBit = 4;

// Carried by every canvas event, fresh for each, taken when the input arrived.
// Positions are in back-buffer pixels and may lie outside it.
struct CanvasEventData {
    std::int32_t mouseX;
    std::int32_t mouseY;
    std::int32_t buttons;
    std::int32_t key;  // virtual-key code of a key event, else 0
    std::int32_t modifiers;
    std::int32_t wheelNotches;    // whole notches of a wheel event, else 0
    std::int32_t inputCharacter;  // 32..255 for an input event, else 0
};

// Attribute numbers a canvas answers.
constexpr int BackBufferAttribute = 1;
constexpr int MouseXAttribute = 2;
constexpr int MouseYAttribute = 3;
constexpr int ButtonsAttribute = 4;
constexpr int KeyAttribute = 5;
constexpr int ModifiersAttribute = 6;
constexpr int CursorAttribute = 7;
constexpr int WheelNotchesAttribute = 8;
constexpr int InputCharacterAttribute = 9;
constexpr int PointerConfinedAttribute = 10;
constexpr int CustomCursorAttribute = 11;

// Standard pointer shapes for CursorAttribute.
enum CanvasCursor : int {
    ArrowCursor,
    CrossCursor,
    TextBeamCursor,
    HandCursor,
    BusyCursor,
    ForbiddenCursor,
    MoveCursor,
    LeftRightCursor,
    UpDownCursor,
    DiagonalDownCursor,
    DiagonalUpCursor,
    NoCursor
};

// Places a canvas of width x height at (x, y) in the current container window.
// Its back buffer starts white. Nonzero on success, 0 on failure (the number
// is free again then).
std::intptr_t CreateCanvas(int number, int x, int y, int width, int height, std::uint32_t flags);

}  // namespace toolkit
