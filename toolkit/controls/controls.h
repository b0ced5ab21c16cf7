#pragma once
// Standard controls, known by the caller's numbers, and the modal requesters.
// Changes the program makes itself raise no events; only user actions do.

#include <cstdint>
#include <string>

namespace toolkit {

// Control event types of the standard controls.
constexpr std::int32_t ClickEventType = 0;
constexpr std::int32_t ChangeEventType = 768;
constexpr std::int32_t FocusEventType = 14000;
constexpr std::int32_t LostFocusEventType = 14001;
constexpr std::int32_t NativeFocusNotification = 256;
constexpr std::int32_t NativeLostFocusNotification = 512;
// A text field's note that its changed text is about to be shown.
constexpr std::int32_t NativeUpdateNotification = 1024;

constexpr int AutomaticNumber = -1;
constexpr int AppendItem = -1;

// Each answers nonzero on success, 0 on failure.
std::intptr_t CreateCheckBox(int number, int x, int y, int width, int height, const std::string& caption);
std::intptr_t CreateTextField(int number, int x, int y, int width, int height, const std::string& text);
std::intptr_t CreateComboBox(int number, int x, int y, int width, int height);
std::intptr_t CreateButton(int number, int x, int y, int width, int height, const std::string& caption);

// A null text means an empty tip.
void SetControlTooltip(int number, const char* text);
void AddControlItem(int number, int position, const std::string& text);
void SetControlState(int number, int value);
int GetControlState(int number);
std::string GetControlText(int number);
std::int32_t GetControlAttribute(int number, int attribute);
void SetControlAttribute(int number, int attribute, std::intptr_t value);
void DestroyControl(int number);

// Where a control stands in the window area it was created in, and its size.
struct ControlBounds {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const ControlBounds&, const ControlBounds&) = default;
};
// False (and `bounds` untouched) when the number names no control.
bool GetControlBounds(int number, ControlBounds& bounds);

// Message box flags: the low four bits choose the buttons, the next four the
// icon, the next four which button is the default (0 the first).
constexpr std::uint32_t MessageOk = 0;
constexpr std::uint32_t MessageOkCancel = 1;
constexpr std::uint32_t MessageAbortRetryIgnore = 2;
constexpr std::uint32_t MessageYesNoCancel = 3;
constexpr std::uint32_t MessageYesNo = 4;
constexpr std::uint32_t MessageRetryCancel = 5;
constexpr std::uint32_t MessageCancelTryContinue = 6;
constexpr std::uint32_t MessageIconStop = 0x10;
constexpr std::uint32_t MessageIconQuestion = 0x20;
constexpr std::uint32_t MessageIconWarning = 0x30;
constexpr std::uint32_t MessageIconInformation = 0x40;
// The numbers ShowMessage answers.
constexpr int OkButton = 1;
constexpr int CancelButton = 2;
constexpr int AbortButton = 3;
constexpr int RetryButton = 4;
constexpr int IgnoreButton = 5;
constexpr int YesButton = 6;
constexpr int NoButton = 7;
constexpr int TryAgainButton = 10;
constexpr int ContinueButton = 11;

// Modal message box (flags 0: one OK button, no icon); the program's windows
// take no input while it shows. Answers the number of the button pressed.
int ShowMessage(const std::string& title, const std::string& text, std::uint32_t flags);

// Modal open-file requester. `patternList` is label|patterns pairs separated
// by '|', patterns within a pair by ';'; `patternIndex` (from 0) chooses the
// filter shown first. The chosen file need not exist, its folder must.
// Answers the chosen full path, whole, or an empty text when cancelled or on
// failure. The process's current folder stays as it was.
std::string AskFileToOpen(const std::string& title, const std::string& defaultFile, const std::string& patternList,
                          int patternIndex);

}  // namespace toolkit
