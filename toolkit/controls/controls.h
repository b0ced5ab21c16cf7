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

// Modal message box with one OK button for flags 0; answers the button pressed.
int ShowMessage(const std::string& title, const std::string& text, std::uint32_t flags);

// Modal open-file requester. `patternList` is label|patterns pairs separated
// by '|', patterns within a pair by ';'. Answers the chosen full path, or an
// empty text when cancelled or on failure.
std::string AskFileToOpen(const std::string& title, const std::string& defaultFile,
                          const std::string& patternList, int patternIndex);

} // namespace toolkit
