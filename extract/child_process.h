#pragma once
// Work done in a child process of its own, within limits of time, processor
// and memory, that ends when its parent ends. What it answers comes back as
// bytes; whatever else it does ends with the child.

#include <sys/resource.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace extract {

struct ChildLimits {
    std::chrono::milliseconds time = std::chrono::seconds(10);  // by the clock on the wall
    std::chrono::seconds processor = std::chrono::seconds(10);  // of the processor's own time
    std::size_t memory = std::size_t{512} << 20;                // address space
    std::size_t reply = 64 << 20;                               // the longest answer taken
};

// AddressSanitizer reserves terabytes of address space for its own records,
// so under it the child's memory goes unlimited; the other limits hold.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool MemoryLimited = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool MemoryLimited = false;
#else
inline constexpr bool MemoryLimited = true;
#endif
#else
inline constexpr bool MemoryLimited = true;
#endif

enum class ChildEnd {
    Answered,  // the child answered and ended well
    TooLong,   // past the time on the wall or the processor
    TooLarge,  // its answer ran past the limit
    Failed,    // it could not start, crashed, or ended without answering whole
};

struct ChildOutcome {
    ChildEnd end = ChildEnd::Failed;
    std::vector<std::uint8_t> reply;  // when Answered
    rusage usage{};                   // the child's own use of time and memory
};

// Runs `work` in a child process and gives back what it returned. The child
// dies with this process (and never outlives it even when this process ends
// before the child starts its work).
ChildOutcome RunInChild(const std::function<std::vector<std::uint8_t>()>& work, const ChildLimits& limits);

}  // namespace extract
