#pragma once
// A soak of the whole program: pseudo-random user actions from a seed, fed
// through the window system's path into the real window, and the real
// dispatch run on every event they raise.

#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "app/session.h"
#include "render/views.h"
#include "screen/screen_store.h"

namespace soak {

using Random = std::mt19937_64;

// Throw-away files to load, drop, save and split: real screens (some under
// names with spaces and letters beyond ASCII), a damaged one, wrong sizes, a
// missing name and a folder.
class SoakFiles {
public:
    SoakFiles();
    ~SoakFiles();
    SoakFiles(const SoakFiles&) = delete;
    SoakFiles& operator=(const SoakFiles&) = delete;

    // Any of the paths above; now and then the damaged file gets new bytes.
    std::string Pick(Random& random);
    // Between one and three paths, the first of them from Pick.
    std::vector<std::string> PickSeveral(Random& random);
    // True for the paths above that hold exactly one screen.
    bool IsScreen(const std::string& path) const;

private:
    void Damage(Random& random);
    std::string folder_;
    std::vector<std::string> screens_;
    std::vector<std::string> others_;
    std::string damaged_;
};

// What the soak did and saw, by name, for the summary.
using Counts = std::map<std::string, long>;

// One user action chosen by weight: pointer, buttons, wheel, keys, menus,
// shortcuts, the operand row, the Grid checkbox, drags and the close box.
class Actions {
public:
    Actions(Random& random, SoakFiles& files, Counts& counts);
    void RunOne();

private:
    int Between(int low, int high);
    bool Chance(int percent);
    void PointInView(int& x, int& y);
    void PointOutsideViews(int& x, int& y);
    void MoveInView();
    void MoveOutside();
    void MoveAcrossAView();
    void PressAndRelease();
    void DoubleClickSomewhere();
    void Wheel();
    void Keys();
    void Shortcut();
    void MenuCommand();
    void DismissMenu();
    void Go();
    void ChooseOperation();
    void TypeOperand(int field);
    void Grid();
    void DropFiles();
    void DropText();
    void Close();
    void ClickControl(int control);

    Random& random_;
    SoakFiles& files_;
    Counts& counts_;
};

using Screen = std::vector<std::uint8_t>;

// Follows, from the events the dispatch is given, what both views and the
// undo screen must hold: menu commands and "go!" copy the screen before
// changing it, an accepted load copies what it read, clicks, Save, Split and
// Undo copy nothing; the highlight is the cell of the last pointer movement
// or press inside a view, until a redraw without one.
class PictureWatch {
public:
    PictureWatch(const screen::ScreenStore& store, const app::Session& session);
    // Around the dispatch of the event WaitEvent just made current.
    void BeforeDispatch(std::int32_t kind);
    void AfterDispatch();
    // Empty when both views show the working screen as the drawing rule has
    // it and the undo screen is the expected one; otherwise what differs.
    std::string Fault();

private:
    void Redrawn(std::optional<render::Cell> highlight);
    void AfterLoad();
    bool FileHolds(const Screen& screen) const;
    const std::vector<std::uint8_t>& Expected(bool colourView, std::optional<render::Cell> highlight);
    std::string ViewFault(int control, bool colourView);

    struct Expectation {
        struct Inputs {
            Screen working;
            std::optional<render::Cell> highlight;
            bool grid = false;
            bool drawn = false;
            bool operator==(const Inputs&) const = default;
        } inputs;
        std::vector<std::uint8_t> picture;
    };

    const screen::ScreenStore& store_;
    const app::Session& session_;
    Screen undo_;
    Screen before_;
    Expectation expected_[2];  // mono, colour
    std::int32_t kind_ = 0;
    int source_ = 0;
    std::int32_t type_ = 0;
    int pointerX_ = 0;
    int pointerY_ = 0;
    bool drawn_ = false;  // before the first redraw both views are white
    std::optional<render::Cell> highlight_;
    bool alsoWithoutHighlight_ = false;
};

// Resident memory of this process in kilobytes.
long ResidentKilobytes();

}  // namespace soak
