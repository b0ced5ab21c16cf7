#include <array>
#include <string>
#include <vector>

#include "app/shell.h"
#include "apptests/soak/soak.h"
#include "screen/operations.h"
#include "toolkit/testing/synthetic_input.h"

namespace soak {
namespace {

namespace input = toolkit::testing;

constexpr int Window = app::MainWindow;

struct MenuItem {
    std::string title;
    std::string item;  // empty: the command on the bar itself
};

// The window's own items, and an Operations item for every row of the
// catalogue that has a menu title.
const std::vector<MenuItem>& MenuItems() {
    static const std::vector<MenuItem> items = [] {
        std::vector<MenuItem> all = {{"File", "Open.."},
                                     {"File", "Save"},
                                     {"File", "Quit"},
                                     {"Operations", "Split picture+attributes"},
                                     {"Undo", ""}};
        for (const screen::ScreenOperation& row : screen::ScreenOperations)
            if (!row.menuTitle.empty())
                all.push_back({"Operations", std::string(row.menuTitle)});
        return all;
    }();
    return items;
}

// Operand texts as a user might type them, and worse.
constexpr std::array<const char*, 16> Operands = {
    "71",
    "$47",
    "$4f",
    "%01000111",
    "  +12",
    "-1",
    "256",
    "300",
    "12abc",
    "0x10",
    "- 5",
    "$",
    "%2",
    "-$10",
    "99999999999999999999999",
    "\xc3\xbc\xc3\xa9",
};

constexpr std::array<int, 16> KeyChoices = {
    input::TabKey,
    input::ReturnKey,
    input::EscapeKey,
    input::SpaceKey,
    input::UpKey,
    input::DownKey,
    input::LeftKey,
    input::RightKey,
    input::HomeKey,
    input::EndKey,
    input::BackspaceKey,
    input::DeleteKey,
    'A',
    'O',
    'S',
    '7',
};

input::Place PlaceOf(int control) {
    input::Place place;
    input::ControlPlace(control, place);
    return place;
}

}  // namespace

Actions::Actions(Random& random, SoakFiles& files, Counts& counts) : random_(random), files_(files), counts_(counts) {}

int Actions::Between(int low, int high) {
    return low + static_cast<int>(random_() % static_cast<unsigned>(high - low + 1));
}

bool Actions::Chance(int percent) { return Between(1, 100) <= percent; }

void Actions::PointInView(int& x, int& y) {
    const input::Place view = PlaceOf(Chance(50) ? app::MonoViewControl : app::ColourViewControl);
    x = view.x + Between(0, view.width - 1);
    y = view.y + Between(0, view.height - 1);
}

// Anywhere in or around the window that is no view: the gap between the
// views, the controls, the menu bar, or beyond the window's edges.
void Actions::PointOutsideViews(int& x, int& y) {
    input::Place window;
    input::WindowPlace(Window, window);
    const input::Place mono = PlaceOf(app::MonoViewControl);
    const input::Place colour = PlaceOf(app::ColourViewControl);
    do {
        x = Between(-200, window.width + 200);
        y = Between(-200, window.height + 200);
    } while ((x >= mono.x && x < mono.x + mono.width && y >= mono.y && y < mono.y + mono.height) ||
             (x >= colour.x && x < colour.x + colour.width && y >= colour.y && y < colour.y + colour.height));
}

void Actions::MoveInView() {
    int x = 0, y = 0;
    PointInView(x, y);
    input::MovePointer(Window, x, y);
    ++counts_["move in a view"];
}

void Actions::MoveOutside() {
    int x = 0, y = 0;
    PointOutsideViews(x, y);
    input::MovePointer(Window, x, y);
    ++counts_["move outside the views"];
}

void Actions::MoveAcrossAView() {
    int x = 0, y = 0, toX = 0, toY = 0;
    PointOutsideViews(x, y);
    PointInView(toX, toY);
    if (Chance(50))
        std::swap(x, toX), std::swap(y, toY);
    const int steps = Between(2, 6);
    for (int step = 0; step <= steps; ++step)
        input::MovePointer(Window, x + (toX - x) * step / steps, y + (toY - y) * step / steps);
    ++counts_["move across a view's edge"];
}

void Actions::PressAndRelease() {
    const auto button = static_cast<input::PointerButton>(Between(0, 2));
    int x = 0, y = 0;
    if (Chance(80))
        PointInView(x, y);
    else
        PointOutsideViews(x, y);
    input::MovePointer(Window, x, y);
    input::PressButton(Window, button, x, y);
    // Held buttons drag now and then, out of the view too.
    for (int moves = Chance(30) ? Between(1, 4) : 0; moves > 0; --moves) {
        if (Chance(50))
            PointInView(x, y);
        else
            PointOutsideViews(x, y);
        input::MovePointer(Window, x, y);
    }
    input::ReleaseButton(Window, button, x, y);
    ++counts_["press and release"];
}

void Actions::DoubleClickSomewhere() {
    int x = 0, y = 0;
    PointInView(x, y);
    input::MovePointer(Window, x, y);
    input::DoubleClick(Window, static_cast<input::PointerButton>(Between(0, 2)), x, y);
    ++counts_["double click"];
}

void Actions::Wheel() {
    int x = 0, y = 0;
    if (Chance(70))
        PointInView(x, y);
    else
        PointOutsideViews(x, y);
    input::TurnWheel(Window, x, y, Chance(80) ? 120 * Between(-3, 3) : Between(-500, 500));
    ++counts_["wheel"];
}

void Actions::Keys() {
    std::uint32_t modifiers = 0;
    if (Chance(20))
        modifiers |= input::WithShift;
    if (Chance(10))
        modifiers |= input::WithAlt;
    input::PressKey(Window, KeyChoices[random_() % KeyChoices.size()], modifiers);
    ++counts_["key"];
}

void Actions::Shortcut() {
    static constexpr std::array<int, 3> Letters = {'O', 'S', 'Q'};
    const int letter = Letters[random_() % Letters.size()];
    input::PressKey(Window, letter, input::WithControl);
    ++counts_[std::string("shortcut Control+") + static_cast<char>(letter)];
}

void Actions::MenuCommand() {
    const MenuItem& chosen = MenuItems()[random_() % MenuItems().size()];
    const auto route = Chance(50) ? input::MenuRoute::Action : input::MenuRoute::Clicks;
    if (!input::ChooseMenuItem(Window, chosen.title, chosen.item, route))
        ++counts_["MISSING menu item"];
    ++counts_[std::string("menu ") + chosen.title + " " + chosen.item];
}

void Actions::DismissMenu() {
    input::OpenAndDismissMenu(Window, Chance(50) ? "File" : "Operations");
    ++counts_["menu opened and dismissed"];
}

void Actions::ClickControl(int control) {
    const input::Place place = PlaceOf(control);
    const int x = place.x + Between(1, place.width - 2);
    const int y = place.y + Between(1, place.height - 2);
    input::MovePointer(Window, x, y);
    input::PressButton(Window, input::PointerButton::Left, x, y);
    input::ReleaseButton(Window, input::PointerButton::Left, x, y);
}

void Actions::TypeOperand(int field) {
    ClickControl(field);
    input::PressKey(Window, 'A', input::WithControl);  // select what is there
    input::TypeText(Window, Operands[random_() % Operands.size()]);
    ++counts_["operand typed"];
}

// The operations list by keys or wheel while it has the focus, or opened by
// a click and closed again.
void Actions::ChooseOperation() {
    const int way = Between(0, 2);
    if (way == 0) {
        ClickControl(app::OperationsControl);
        input::PressKey(Window, Chance(50) ? input::DownKey : input::UpKey, 0);
        input::PressKey(Window, Chance(70) ? input::ReturnKey : input::EscapeKey, 0);
    } else if (way == 1) {
        const input::Place place = PlaceOf(app::OperationsControl);
        input::TurnWheel(Window, place.x + place.width / 2, place.y + place.height / 2, 120 * Between(-4, 4));
    } else {
        input::PressKey(Window, input::TabKey, Chance(50) ? input::WithShift : 0);
        input::PressKey(Window, Chance(50) ? input::DownKey : input::UpKey, 0);
    }
    ++counts_["operation chosen"];
}

void Actions::Go() {
    if (Chance(60))
        TypeOperand(app::B1FieldControl);
    if (Chance(60))
        TypeOperand(app::B2FieldControl);
    if (Chance(60))
        ChooseOperation();
    if (Chance(80)) {
        ClickControl(app::GoControl);
    } else {
        while (Chance(80))
            input::PressKey(Window, input::TabKey, 0);
        input::PressKey(Window, input::SpaceKey, 0);
    }
    ++counts_["go!"];
}

void Actions::Grid() {
    ClickControl(app::GridControl);
    ++counts_["Grid clicked"];
}

void Actions::DropFiles() {
    int x = 0, y = 0;
    if (Chance(85))
        PointInView(x, y);
    else
        PointOutsideViews(x, y);
    static constexpr std::array<int, 5> Offers = {input::OfferCopy, input::OfferCopy | input::OfferMove,
                                                  input::OfferMove, input::OfferLink,
                                                  input::OfferCopy | input::OfferMove | input::OfferLink};
    const auto end = Chance(90) ? input::DragEnd::Drop : input::DragEnd::Leave;
    input::DragFiles(Window, x, y, files_.PickSeveral(random_), Offers[random_() % Offers.size()], end);
    ++counts_["files dragged"];
}

void Actions::DropText() {
    int x = 0, y = 0;
    PointInView(x, y);
    input::DragText(Window, x, y, files_.Pick(random_), input::OfferCopy);
    ++counts_["text dragged"];
}

void Actions::Close() {
    input::RequestClose(Window);
    ++counts_["close box"];
}

void Actions::RunOne() {
    using Action = void (Actions::*)();
    struct Weighted {
        int weight;
        Action action;
    };
    static constexpr std::array<Weighted, 17> Table = {{
        {20, &Actions::MoveInView},
        {6, &Actions::MoveOutside},
        {4, &Actions::MoveAcrossAView},
        {12, &Actions::PressAndRelease},
        {4, &Actions::DoubleClickSomewhere},
        {3, &Actions::Wheel},
        {6, &Actions::Keys},
        {4, &Actions::Shortcut},
        {10, &Actions::MenuCommand},
        {1, &Actions::DismissMenu},
        {6, &Actions::Go},
        {2, &Actions::ChooseOperation},
        {2, &Actions::Grid},
        {5, &Actions::DropFiles},
        {1, &Actions::DropText},
        {1, &Actions::Close},
        {2, &Actions::MoveOutside},
    }};
    static const int total = [] {
        int sum = 0;
        for (const Weighted& entry : Table)
            sum += entry.weight;
        return sum;
    }();
    int pick = Between(1, total);
    for (const Weighted& entry : Table) {
        pick -= entry.weight;
        if (pick <= 0) {
            (this->*entry.action)();
            return;
        }
    }
}

}  // namespace soak
