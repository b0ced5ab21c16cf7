#pragma once
// What the program remembers from one event to the next besides the screens.

#include <string>

#include "render/screen_renderer.h"

namespace app {

struct Session {
    // The full path of the last accepted load; empty before the first. Only
    // a load changes it, so Save and Split write where the picture came from.
    std::string currentFileName;
    // What the views show, so that each event redraws only what it changed.
    render::ViewsRenderer renderer;
};

}  // namespace app
