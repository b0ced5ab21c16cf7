#pragma once
// The per-thread event queue through which every user action reaches the
// program, as numbered events rather than window-system messages.

#include <cstddef>
#include <cstdint>

namespace toolkit {

// Event kinds. Values of WaitEvent that are none of these mean "a window-system
// message was processed, nothing of the program's own became current".
constexpr std::int32_t ControlEvent = 13100;
constexpr std::int32_t MenuEvent = 13101;
constexpr std::int32_t TrayIconEvent = 13102;
constexpr std::int32_t WindowActivatedEvent = 13104;
constexpr std::int32_t WindowDropEvent = 13105;
constexpr std::int32_t ControlDropEvent = 13106;
constexpr std::int32_t WindowMinimisedEvent = 13107;
constexpr std::int32_t WindowMaximisedEvent = 13108;
constexpr std::int32_t WindowRestoredEvent = 13109;
constexpr std::int32_t TimerEvent = 13110;
constexpr std::int32_t WindowRightReleaseEvent = 13111;
constexpr std::int32_t WindowLeftReleaseEvent = 13112;
constexpr std::int32_t WindowDoubleClickEvent = 13113;
constexpr std::int32_t WindowDeactivatedEvent = 13114;
constexpr std::int32_t WindowRepaintedEvent = 13115;
constexpr std::int32_t CloseWindowEvent = 13116;
constexpr std::int32_t WindowMovedEvent = 13117;
constexpr std::int32_t WindowResizedEvent = 13118;

// What WaitEvent answers after processing window-system messages.
constexpr std::int32_t NoEventKind = 0;

using ReleaseFunction = void (*)(void*);

struct ToolkitEvent {
    std::int32_t kind = 0;
    std::int32_t source = 0;
    std::int32_t window = 0;
    std::int32_t type = -1;
    void* data = nullptr;
    ReleaseFunction release = nullptr;
};

// Queues an event. Dropped while suppression is on; merged into the last queued
// event when kind (below 65536), source, window and type all match, in which
// case the newcomer's data is released at once and the queued one keeps its own.
void PostEvent(std::int32_t kind, std::int32_t source, std::int32_t window, std::int32_t type, void* data = nullptr,
               ReleaseFunction release = nullptr);

// Ends the current event (releasing its data), then makes the oldest queued
// event current and answers its kind; with an empty queue it lets the window
// system deliver what it has (blocking while idle) and answers NoEventKind.
std::int32_t WaitEvent();

std::int32_t CurrentEventKind();
std::int32_t CurrentEventSource();
std::int32_t CurrentEventType();
std::int32_t CurrentEventWindow();
// Valid until the next WaitEvent.
void* CurrentEventData();

std::size_t QueuedEventCount();
// Releases every queued event and the current one.
void ClearEventQueue();

// While any EventSuppression lives on this thread, posted events are dropped:
// changes the program makes itself must not look like user actions.
class EventSuppression {
public:
    EventSuppression();
    ~EventSuppression();
    EventSuppression(const EventSuppression&) = delete;
    EventSuppression& operator=(const EventSuppression&) = delete;
};
int EventSuppressionCount();

}  // namespace toolkit
