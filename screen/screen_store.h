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

    std::uint8_t* working() { return block_.get(); }
    const std::uint8_t* working() const { return block_.get(); }
    std::uint8_t* undo() { return block_.get() + ScreenSize; }
    const std::uint8_t* undo() const { return block_.get() + ScreenSize; }
    std::uint8_t* scratch() { return scratch_.get(); }

private:
    std::unique_ptr<std::uint8_t[]> block_;
    std::unique_ptr<std::uint8_t[]> scratch_;
};

constexpr int StoreBlockSize = 2 * ScreenSize;  // 13824

// Copies the whole working screen over the undo screen.
void TakeUndoCopy(ScreenStore& store);
// Copies the whole undo screen over the working screen: the Undo command.
void RestoreUndoCopy(ScreenStore& store);

}  // namespace screen
