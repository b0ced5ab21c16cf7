#pragma once
// The working screen and its one-level undo copy in one block, and the
// scratch plane the outline operations work in.

#include <cstdint>
#include <memory>

#include "screen/screen_layout.h"

namespace screen {

class ScreenStore {
public:
    // Allocates the 13824-byte block and then the 6912-byte scratch plane,
    // both zero-filled. Throws std::bad_alloc when memory runs out.
    ScreenStore();
    ~ScreenStore();  // frees the scratch plane first, then the block
    ScreenStore(const ScreenStore&) = delete;
    ScreenStore& operator=(const ScreenStore&) = delete;

    std::uint8_t* Working() { return block_.get(); }
    const std::uint8_t* Working() const { return block_.get(); }
    std::uint8_t* Undo() { return block_.get() + ScreenSize; }
    const std::uint8_t* Undo() const { return block_.get() + ScreenSize; }
    std::uint8_t* Scratch() { return scratch_.get(); }

private:
    std::unique_ptr<std::uint8_t[]> block_;
    std::unique_ptr<std::uint8_t[]> scratch_;
};

constexpr int StoreBlockSize = 2 * ScreenSize;  // 13824

// Copies the whole working screen over the undo screen.
void TakeUndoCopy(ScreenStore& store);
// Copies the whole undo screen over the working screen: the Undo command.
void RestoreUndoCopy(ScreenStore& store);

// The working screen and the scratch plane as the picture operations take them.
inline ScreenSpan WorkingScreen(ScreenStore& store) { return ScreenSpan(store.Working(), ScreenSize); }
inline ScreenSpan ScratchPlane(ScreenStore& store) { return ScreenSpan(store.Scratch(), ScreenSize); }

// Takes the undo copy, then lets `change` (a picture operation, called with
// the working screen and the scratch plane) rewrite the working screen: the
// one way the window runs its menu operations and its byte operations, so no
// operation has to remember the copy itself.
template <typename Change>
void ChangeWithUndo(ScreenStore& store, Change&& change) {
    TakeUndoCopy(store);
    change(WorkingScreen(store), ScratchPlane(store));
}

}  // namespace screen
