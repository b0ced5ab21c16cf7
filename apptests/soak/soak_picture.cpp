// What the views and the undo screen must hold after each event, followed
// from the events the dispatch is given, and checked against the real ones.
// The expected pictures are drawn by the view rule's oracle, not by the
// renderer, so a renderer that gets one pixel wrong fails the soak.

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "app/operation_commands.h"
#include "app/shell.h"
#include "apptests/soak/soak.h"
#include "testsupport/view_oracle.h"
#include "toolkit/canvas/canvas.h"
#include "toolkit/canvas/canvas_access.h"
#include "toolkit/controls/controls.h"
#include "toolkit/windows/events.h"

namespace soak {
namespace {

constexpr int Scale = render::ViewScale;
constexpr int Width = render::ViewWidth;
constexpr int Height = render::ViewHeight;
constexpr int CellSide = render::CellSpan;
constexpr int RowBytes = (Width * 3 + 3) / 4 * 4;

// A view's back buffer as the view rule's oracle has it: 24-bit BGR rows
// bottom-up and padded to 4 bytes.
void Draw(const std::uint8_t* screen, bool colourView, std::optional<render::Cell> highlight, bool grid,
          std::vector<std::uint8_t>& out) {
    testsupport::ViewLook look;
    look.mono = !colourView;
    look.scale = Scale;
    look.grid = grid;
    if (highlight) {
        look.highlightColumn = highlight->column;
        look.highlightRow = highlight->row;
    }
    out.assign(static_cast<std::size_t>(RowBytes) * Height, 0);
    for (int y = 0; y < Height; ++y) {
        std::uint8_t* target = out.data() + static_cast<std::size_t>(Height - 1 - y) * RowBytes;
        for (int x = 0; x < Width; ++x) {
            const testsupport::Rgb colour = testsupport::ViewPixel(screen, look, x, y);
            target[x * 3] = colour.blue;
            target[x * 3 + 1] = colour.green;
            target[x * 3 + 2] = colour.red;
        }
    }
}

std::string FirstDifference(const std::vector<std::uint8_t>& expected, const std::uint8_t* actual) {
    const auto at = std::mismatch(expected.begin(), expected.end(), actual).first - expected.begin();
    if (at == static_cast<long>(expected.size()))
        return {};
    return "pixel (" + std::to_string(at % RowBytes / 3) + ", " + std::to_string(Height - 1 - at / RowBytes) +
           ") differs";
}

Screen Bytes(const std::uint8_t* screen) { return Screen(screen, screen + screen::ScreenSize); }

}  // namespace

PictureWatch::PictureWatch(const screen::ScreenStore& store, const app::Session& session)
    : store_(store), session_(session), undo_(Bytes(store.Undo())) {}

void PictureWatch::BeforeDispatch(std::int32_t kind) {
    kind_ = kind;
    source_ = toolkit::CurrentEventSource();
    type_ = toolkit::CurrentEventType();
    pointerX_ = toolkit::GetControlAttribute(source_, toolkit::MouseXAttribute);
    pointerY_ = toolkit::GetControlAttribute(source_, toolkit::MouseYAttribute);
    before_ = Bytes(store_.Working());
}

void PictureWatch::Redrawn(std::optional<render::Cell> highlight) {
    drawn_ = true;
    highlight_ = highlight;
    alsoWithoutHighlight_ = false;
}

void PictureWatch::AfterDispatch() {
    const bool menu = kind_ == toolkit::MenuEvent;
    const bool control = kind_ == toolkit::ControlEvent;
    const bool changesWithCopy =
        (menu && app::OperationOf(source_) != nullptr) || (control && source_ == app::GoControl);
    if (changesWithCopy) {
        undo_ = before_;
        Redrawn(std::nullopt);
    } else if ((menu && source_ == app::UndoCommand) || (control && source_ == app::GridControl)) {
        Redrawn(std::nullopt);
    } else if (control && (source_ == app::MonoViewControl || source_ == app::ColourViewControl)) {
        const bool pressOrMove = type_ == toolkit::MouseMoveEventType || type_ == toolkit::LeftButtonDownEventType ||
                                 type_ == toolkit::RightButtonDownEventType;
        if (pressOrMove && pointerX_ >= 0 && pointerX_ < Width && pointerY_ >= 0 && pointerY_ < Height)
            Redrawn(render::Cell{pointerX_ / CellSide, pointerY_ / CellSide});
    } else if ((menu && source_ == app::OpenCommand) || kind_ == toolkit::ControlDropEvent) {
        AfterLoad();
    }
}

// An accepted load puts the file into the working screen and the undo copy
// and redraws without highlight; a refused one changes nothing. When the
// screen already was that file's, the two look alike but for the highlight.
void PictureWatch::AfterLoad() {
    const Screen working = Bytes(store_.Working());
    if (working == before_ && Bytes(store_.Undo()) == undo_) {
        alsoWithoutHighlight_ = working == undo_ && FileHolds(working);
        return;
    }
    if (FileHolds(working)) {
        undo_ = working;
        Redrawn(std::nullopt);
    }
}

bool PictureWatch::FileHolds(const Screen& screen) const {
    std::ifstream file(session_.currentFileName, std::ios::binary);
    const Screen bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    return bytes == screen;
}

// The expected pictures are drawn again only when what they are drawn from
// has changed; the views themselves are compared after every action.
const std::vector<std::uint8_t>& PictureWatch::Expected(bool colourView, std::optional<render::Cell> highlight) {
    Expectation& expectation = expected_[colourView ? 1 : 0];
    Expectation::Inputs inputs{Bytes(store_.Working()), highlight, toolkit::GetControlState(app::GridControl) != 0,
                               drawn_};
    if (expectation.picture.empty() || !(inputs == expectation.inputs)) {
        if (drawn_)
            Draw(store_.Working(), colourView, highlight, inputs.grid, expectation.picture);
        else
            expectation.picture.assign(static_cast<std::size_t>(RowBytes) * Height, 255);
        expectation.inputs = std::move(inputs);
    }
    return expectation.picture;
}

std::string PictureWatch::ViewFault(int control, bool colourView) {
    toolkit::CanvasPixels pixels;
    if (!toolkit::GetCanvasPixels(control, pixels) || pixels.width != Width || pixels.height != Height ||
        pixels.rowLength != RowBytes)
        return "view " + std::to_string(control) + " is not a canvas of the views' size";
    std::string difference = FirstDifference(Expected(colourView, highlight_), pixels.storage.get());
    if (!difference.empty() && alsoWithoutHighlight_ && highlight_) {
        highlight_ = std::nullopt;
        difference = FirstDifference(Expected(colourView, highlight_), pixels.storage.get());
    }
    return difference.empty() ? difference : (colourView ? "colour view: " : "mono view: ") + difference;
}

std::string PictureWatch::Fault() {
    std::string fault = ViewFault(app::MonoViewControl, false);
    if (fault.empty())
        fault = ViewFault(app::ColourViewControl, true);
    alsoWithoutHighlight_ = false;
    if (fault.empty() && Bytes(store_.Undo()) != undo_)
        fault = "the undo screen is not the copy the last command should have taken";
    return fault;
}

}  // namespace soak
