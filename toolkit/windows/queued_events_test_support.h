#pragma once
// For tests: let Qt deliver what is pending, then take every queued event.

#include <algorithm>
#include <iterator>
#include <ostream>
#include <vector>

#include <QCoreApplication>

#include "toolkit/windows/events.h"

namespace toolkit::test_support {

// The fields of an event that was taken; its data is gone by then.
struct TakenEvent {
    std::int32_t kind;
    std::int32_t source;
    std::int32_t window;
    std::int32_t type;
    bool operator==(const TakenEvent&) const = default;
};

inline void PrintTo(const TakenEvent& event, std::ostream* out) {
    *out << "{kind " << event.kind << ", source " << event.source << ", window " << event.window << ", type "
         << event.type << "}";
}

inline std::vector<TakenEvent> TakeEvents() {
    QCoreApplication::processEvents();
    std::vector<TakenEvent> taken;
    while (QueuedEventCount() > 0) {
        std::int32_t kind = WaitEvent();
        taken.push_back({kind, CurrentEventSource(), CurrentEventWindow(), CurrentEventType()});
    }
    return taken;
}

// Only the events of one kind, in order; windows also report activation,
// moves and resizes, which most tests do not look at.
inline std::vector<TakenEvent> TakeEvents(std::int32_t kind) {
    std::vector<TakenEvent> all = TakeEvents();
    std::vector<TakenEvent> wanted;
    std::copy_if(all.begin(), all.end(), std::back_inserter(wanted),
                 [kind](const TakenEvent& event) { return event.kind == kind; });
    return wanted;
}

}  // namespace toolkit::test_support
