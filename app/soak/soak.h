#pragma once
// A soak of the whole program: pseudo-random user actions from a seed, fed
// through the window system's path into the real window, and the real
// dispatch run on every event they raise.

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

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

// Resident memory of this process in kilobytes.
long ResidentKilobytes();

} // namespace soak
