#include "toolkit/windows/events.h"

#include <deque>

#include <QCoreApplication>
#include <QEventLoop>

namespace toolkit {
namespace {

constexpr std::int32_t MergeableKindLimit = 65536;

struct EventQueue {
    std::deque<ToolkitEvent> pending;
    ToolkitEvent current;
    int suppression = 0;
};

thread_local EventQueue queue;

void Release(ToolkitEvent& event) {
    if (event.data && event.release)
        event.release(event.data);
    event.data = nullptr;
    event.release = nullptr;
}

}  // namespace

void PostEvent(std::int32_t kind, std::int32_t source, std::int32_t window, std::int32_t type, void* data,
               ReleaseFunction release) {
    ToolkitEvent event{kind, source, window, type, data, release};
    if (queue.suppression > 0) {
        Release(event);
        return;
    }
    if (!queue.pending.empty() && kind < MergeableKindLimit) {
        const ToolkitEvent& last = queue.pending.back();
        if (last.kind == kind && last.source == source && last.window == window && last.type == type) {
            Release(event);
            return;
        }
    }
    queue.pending.push_back(event);
}

std::int32_t WaitEvent() {
    Release(queue.current);
    queue.current.kind = 0;
    queue.current.type = -1;
    if (!queue.pending.empty()) {
        queue.current = queue.pending.front();
        queue.pending.pop_front();
        return queue.current.kind;
    }
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return NoEventKind;
}

std::int32_t CurrentEventKind() { return queue.current.kind; }
std::int32_t CurrentEventSource() { return queue.current.source; }
std::int32_t CurrentEventType() { return queue.current.type; }
std::int32_t CurrentEventWindow() { return queue.current.window; }
void* CurrentEventData() { return queue.current.data; }

std::size_t QueuedEventCount() { return queue.pending.size(); }

void ClearEventQueue() {
    for (ToolkitEvent& event : queue.pending)
        Release(event);
    queue.pending.clear();
    Release(queue.current);
    queue.current = ToolkitEvent{};
}

EventSuppression::EventSuppression() { ++queue.suppression; }
EventSuppression::~EventSuppression() { --queue.suppression; }
int EventSuppressionCount() { return queue.suppression; }

}  // namespace toolkit
