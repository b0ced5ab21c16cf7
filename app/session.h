#pragma once
// What the program remembers from one event to the next besides the screens.

#include <string>

namespace app {

struct Session {
    // The full path of the last accepted load; empty before the first. Only
    // a load changes it, so Save and Split write where the picture came from.
    std::string currentFileName;
};

} // namespace app
