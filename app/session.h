#pragma once
// What the program remembers from one event to the next besides the screens.

#include <string>

#include "render/screen_renderer.h"
#include "screen/screen_store.h"

namespace app {

struct Session {
    // The full path of the last accepted load; empty before the first. Only
    // a load changes it, so Save and Split write where the picture came from.
    std::string currentFileName;
    // What the views show, so that each event redraws only what it changed.
    render::ViewsRenderer renderer;
};

// The highlight of a redraw that marks no cell.
constexpr int NoHighlight = -1;

// Brings both views to the working screen with no cell highlighted, as after
// a load, an operation or Undo.
inline void Redraw(const screen::ScreenStore& store, Session& session) {
    session.renderer.Draw(store, NoHighlight, NoHighlight);
}

}  // namespace app
