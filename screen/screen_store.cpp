#include "screen/screen_store.h"

#include <cstring>

namespace screen {

// make_unique of an array value-initialises it: every byte starts at zero.
ScreenStore::ScreenStore()
    : block_(std::make_unique<std::uint8_t[]>(StoreBlockSize)), scratch_(std::make_unique<std::uint8_t[]>(ScreenSize)) {
}

ScreenStore::~ScreenStore() {
    scratch_.reset();
    block_.reset();
}

void TakeUndoCopy(ScreenStore& store) { std::memcpy(store.Undo(), store.Working(), ScreenSize); }

void RestoreUndoCopy(ScreenStore& store) { std::memcpy(store.Working(), store.Undo(), ScreenSize); }

}  // namespace screen
