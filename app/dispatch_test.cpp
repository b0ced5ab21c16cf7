// The real dispatch, driven by events posted the way the toolkit posts them.

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "app/main_window_layout.h"
#include "app/shell.h"
#include "screen/operations.h"
#include "screen/screen_layout.h"
#include "testsupport/real_screens.h"
#include "toolkit/canvas/canvas.h"
#include "toolkit/controls/controls.h"
#include "toolkit/controls/requester_answers.h"
#include "toolkit/testing/synthetic_input.h"
#include "toolkit/windows/events.h"
#include "toolkit/windows/windows.h"

namespace {

constexpr int Cell = render::CellSpan;

std::vector<std::uint8_t> ReadScreen(const char* name) {
    const testsupport::ScreenBytes& bytes = testsupport::RealScreenBytes(name);
    return {bytes.begin(), bytes.end()};
}

using Screen = std::vector<std::uint8_t>;

void ReleaseEventData(void* data) { delete static_cast<toolkit::CanvasEventData*>(data); }

class Dispatch : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(app::BuildMainWindow()); }
    void SetUp() override {
        toolkit::ClearEventQueue();
        toolkit::SetWindowCaption(app::MainWindow, "New window ( 0 )");
    }

    // Makes the event current exactly as WaitEvent would, then dispatches it.
    std::int32_t Deliver(std::int32_t kind, int source, std::int32_t type, void* data = nullptr) {
        toolkit::ClearEventQueue();
        toolkit::PostEvent(kind, source, app::MainWindow, type, data, data ? ReleaseEventData : nullptr);
        std::int32_t current = toolkit::WaitEvent();
        EXPECT_EQ(current, kind);
        return app::DispatchEvent(store, session, current);
    }
    std::int32_t ViewEvent(int view, std::int32_t type, int x, int y) {
        auto* data = new toolkit::CanvasEventData{x, y, 0, 0, 0, 0, 0};
        return Deliver(toolkit::ControlEvent, view, type, data);
    }
    std::int32_t Menu(int command) { return Deliver(toolkit::MenuEvent, command, 0); }

    void LoadPicture(const char* name) {
        std::vector<std::uint8_t> bytes = ReadScreen(name);
        ASSERT_EQ(bytes.size(), static_cast<std::size_t>(screen::ScreenSize));
        std::memcpy(store.Working(), bytes.data(), bytes.size());
        screen::TakeUndoCopy(store);
    }
    std::vector<std::uint8_t> Working() const { return {store.Working(), store.Working() + screen::ScreenSize}; }

    screen::ScreenStore store;
    app::Session session;
};

TEST_F(Dispatch, PointerMovementWritesTheTitleStatusLine) {
    LoadPicture("screen02.scr");
    session.currentFileName = "/pics/screen02.scr";
    std::uint8_t attribute = store.Working()[screen::AttributeOffset(5, 3)];
    ViewEvent(app::ColourViewControl, toolkit::MouseMoveEventType, 5 * Cell + 7, 3 * Cell + 15);
    EXPECT_EQ(toolkit::WindowCaption(app::MainWindow), app::TitleStatusLine(5, 3, attribute, "/pics/screen02.scr"));
    ViewEvent(app::MonoViewControl, toolkit::MouseMoveEventType, render::ViewWidth - 1, render::ViewHeight - 1);
    EXPECT_EQ(toolkit::WindowCaption(app::MainWindow).substr(0, 11), "x:31 y:23 a");
}

// The name a load gives the session must be the one the title then shows.
TEST_F(Dispatch, OpenLoadsTheChosenFileAndTheTitleNamesIt) {
    const std::string path = testsupport::RealScreenPath("screen04");
    toolkit::SetRequesterAnswerer([&](const toolkit::RequesterQuestion&) {
        toolkit::RequesterAnswer answer;
        answer.path = path;
        return answer;
    });
    Menu(app::OpenCommand);
    toolkit::SetRequesterAnswerer({});
    EXPECT_EQ(Working(), ReadScreen("screen04.scr"));
    EXPECT_EQ(session.currentFileName, path);
    ViewEvent(app::MonoViewControl, toolkit::MouseMoveEventType, 0, 0);
    EXPECT_EQ(toolkit::WindowCaption(app::MainWindow),
              app::TitleStatusLine(0, 0, store.Working()[screen::AttributeOffset(0, 0)], path));
}

TEST_F(Dispatch, EnterLeaveAndReleasesLeaveTheTitleAlone) {
    for (std::int32_t type :
         {toolkit::MouseEnterEventType, toolkit::MouseLeaveEventType, toolkit::LeftButtonUpEventType,
          toolkit::LeftClickEventType, toolkit::MouseWheelEventType}) {
        ViewEvent(app::MonoViewControl, type, 40, 40);
        EXPECT_EQ(toolkit::WindowCaption(app::MainWindow), "New window ( 0 )") << type;
    }
}

TEST_F(Dispatch, ViewEventsOutsideTheViewTouchNothing) {
    LoadPicture("screen01.scr");
    std::vector<std::uint8_t> before = Working();
    const int outside[][2] = {{-1, 0},    {0, -1},     {render::ViewWidth, 10}, {10, render::ViewHeight},
                              {600, 500}, {-300, -300}};
    for (auto& position : outside) {
        ViewEvent(app::MonoViewControl, toolkit::MouseMoveEventType, position[0], position[1]);
        ViewEvent(app::ColourViewControl, toolkit::LeftButtonDownEventType, position[0], position[1]);
        ViewEvent(app::ColourViewControl, toolkit::RightButtonDownEventType, position[0], position[1]);
    }
    EXPECT_EQ(Working(), before);
    EXPECT_EQ(toolkit::WindowCaption(app::MainWindow), "New window ( 0 )");
}

TEST_F(Dispatch, LeftPressInvertsOneCellAndRightPressTheRestOfItsRow) {
    LoadPicture("screen03.scr");
    std::vector<std::uint8_t> before = Working();
    ViewEvent(app::MonoViewControl, toolkit::LeftButtonDownEventType, 1 * Cell, 2 * Cell + 3);
    int changedCells = 0;
    for (int row = 0; row < 24; ++row)
        for (int column = 0; column < 32; ++column)
            if (store.Working()[screen::AttributeOffset(column, row)] != before[screen::AttributeOffset(column, row)] ||
                store.Working()[screen::CellBitmapOffset(column, row)] != before[screen::CellBitmapOffset(column, row)])
                ++changedCells;
    EXPECT_LE(changedCells, 1);
    EXPECT_EQ(store.Working()[screen::CellBitmapOffset(1, 2)],
              static_cast<std::uint8_t>(~before[screen::CellBitmapOffset(1, 2)]));

    LoadPicture("screen03.scr");
    ViewEvent(app::ColourViewControl, toolkit::RightButtonDownEventType, 29 * Cell + 2, 4 * Cell);
    for (int column = 0; column < 32; ++column) {
        std::uint8_t expected = before[screen::CellBitmapOffset(column, 4)];
        if (column >= 29)
            expected = static_cast<std::uint8_t>(~expected);
        EXPECT_EQ(store.Working()[screen::CellBitmapOffset(column, 4)], expected) << column;
        EXPECT_EQ(store.Working()[screen::CellBitmapOffset(column, 5)], before[screen::CellBitmapOffset(column, 5)]);
    }
}

// The row of the catalogue that has this menu title; none when no row has it.
const screen::ScreenOperation* RowTitled(std::string_view title) {
    for (const screen::ScreenOperation& row : screen::ScreenOperations)
        if (row.menuTitle == title)
            return &row;
    return nullptr;
}

// The row on a copy of the screen, with a scratch plane of its own.
Screen RowResult(const screen::ScreenOperation& row, Screen screen) {
    Screen scratch(screen::ScreenSize);
    row.apply(screen::ScreenSpan(screen.data(), screen::ScreenSize),
              screen::ScreenSpan(scratch.data(), scratch.size()));
    return screen;
}

// What each Operations item runs is the catalogue's business; the window's
// is that the item the user chooses by its title runs the row of that title,
// with the undo copy taken first. The item is chosen through the real menu,
// so an item tied to the wrong row, or a command id that reaches the wrong
// row, fails here.
TEST_F(Dispatch, EachOperationsItemRunsTheRowOfItsTitleAndUndoGivesTheScreenBack) {
    const struct {
        const char* title;
        app::Command command;
    } items[] = {
        {"Optimize", app::OptimizeCommand},        {"Invert", app::InvertCommand},
        {"Find contour", app::FindContourCommand}, {"Create Mask", app::CreateMaskCommand},
        {"Mirror Horisontal", app::MirrorCommand},
    };
    for (const char* picture : {"screen02.scr", "screen09.scr"}) {
        LoadPicture(picture);
        Screen before = Working();
        for (const auto& item : items) {
            SCOPED_TRACE(std::string(item.title) + " on " + picture);
            const screen::ScreenOperation* row = RowTitled(item.title);
            ASSERT_NE(row, nullptr);
            const Screen expected = RowResult(*row, before);
            ASSERT_NE(expected, before);
            toolkit::ClearEventQueue();
            ASSERT_TRUE(toolkit::testing::ChooseMenuItem(app::MainWindow, "Operations", item.title,
                                                         toolkit::testing::MenuRoute::Action));
            ASSERT_EQ(toolkit::WaitEvent(), toolkit::MenuEvent);
            EXPECT_EQ(toolkit::CurrentEventSource(), item.command);
            EXPECT_EQ(app::DispatchEvent(store, session, toolkit::MenuEvent), toolkit::MenuEvent);
            EXPECT_EQ(Working(), expected);
            EXPECT_EQ(Menu(app::UndoCommand), toolkit::MenuEvent);
            EXPECT_EQ(Working(), before);
            // Go on from the result, so each item also meets a screen an earlier one made.
            std::memcpy(store.Working(), expected.data(), expected.size());
            before = expected;
        }
    }
}

// Undo copies are taken by the menu operations and "go!", not by clicks.
TEST_F(Dispatch, ClicksTakeNoUndoCopyAndGoTakesOne) {
    LoadPicture("screen12.scr");
    const Screen loaded = Working();
    Menu(app::InvertCommand);
    ViewEvent(app::MonoViewControl, toolkit::LeftButtonDownEventType, 0, 0);
    Menu(app::UndoCommand);
    Menu(app::UndoCommand);
    EXPECT_EQ(Working(), loaded);

    ViewEvent(app::MonoViewControl, toolkit::LeftButtonDownEventType, 0, 0);
    const Screen clicked = Working();
    ASSERT_NE(clicked, loaded);
    toolkit::SetControlState(app::OperationsControl, 2);  // "b1 AND b2" with b2 = "b2", that is 0
    EXPECT_EQ(Deliver(toolkit::ControlEvent, app::GoControl, 0), toolkit::ControlEvent);
    toolkit::SetControlState(app::OperationsControl, 0);
    EXPECT_NE(Working(), clicked);
    Menu(app::UndoCommand);
    EXPECT_EQ(Working(), clicked);
}

TEST_F(Dispatch, QuitEndsTheLoopAndChangesNothing) {
    LoadPicture("screen05.scr");
    std::vector<std::uint8_t> before = Working();
    EXPECT_EQ(Menu(app::QuitCommand), toolkit::CloseWindowEvent);
    EXPECT_EQ(Working(), before);
    EXPECT_EQ(Deliver(toolkit::CloseWindowEvent, app::MainWindow, 0), toolkit::CloseWindowEvent);
}

TEST_F(Dispatch, GoRunsTheChosenByteOperationWithTheFieldsOperands) {
    LoadPicture("screen11.scr");
    std::vector<std::uint8_t> loaded = Working();
    toolkit::SetControlState(app::OperationsControl, 2);  // "b1 AND b2" with b2 = "b2", that is 0
    Deliver(toolkit::ControlEvent, app::GoControl, 0);
    for (int i = screen::AttributeStart; i < screen::ScreenSize; ++i)
        ASSERT_EQ(store.Working()[i], 0) << i;
    EXPECT_TRUE(std::equal(loaded.begin(), loaded.begin() + screen::BitmapSize, store.Working()));
    Menu(app::UndoCommand);
    EXPECT_EQ(Working(), loaded);
    toolkit::SetControlState(app::OperationsControl, 0);
}

// Types into a field as the user would leave it: the toolkit sets a field's
// text only as it makes it, so the field is made again.
void TypeInto(int field, const app::layout::Box& box, const char* text) {
    toolkit::DestroyControl(field);
    toolkit::CreateTextField(field, box.x, box.y, box.width, box.height, text);
}

TEST_F(Dispatch, GoTakesB1FromTheB1FieldAndB2FromTheB2Field) {
    // screen01 has attributes $38 and none 7, so b1 and b2 taken the other
    // way round would change nothing.
    LoadPicture("screen01.scr");
    const std::vector<std::uint8_t> loaded = Working();
    std::vector<std::uint8_t> expected = loaded;
    int replaced = 0;
    for (int i = screen::AttributeStart; i < screen::ScreenSize; ++i)
        if (expected[i] == 0x38) {
            expected[i] = 7;
            ++replaced;
        }
    ASSERT_GT(replaced, 0);
    TypeInto(app::B1FieldControl, app::layout::B1FieldBox, "$38");
    TypeInto(app::B2FieldControl, app::layout::B2FieldBox, "7");
    toolkit::SetControlState(app::OperationsControl, 1);  // "b1 replace to b2"
    Deliver(toolkit::ControlEvent, app::GoControl, 0);
    EXPECT_EQ(Working(), expected);
    TypeInto(app::B1FieldControl, app::layout::B1FieldBox, "b1");
    TypeInto(app::B2FieldControl, app::layout::B2FieldBox, "b2");
    toolkit::SetControlState(app::OperationsControl, 0);
}

TEST_F(Dispatch, OtherControlsAndUnknownKindsChangeNothing) {
    LoadPicture("screen07.scr");
    std::vector<std::uint8_t> before = Working();
    Deliver(toolkit::ControlEvent, app::B1FieldControl, toolkit::ChangeEventType);
    Deliver(toolkit::ControlEvent, app::OperationsControl, toolkit::ChangeEventType);
    Deliver(toolkit::ControlEvent, app::GridControl, 0);
    Deliver(toolkit::WindowResizedEvent, app::MainWindow, 0);
    EXPECT_EQ(app::DispatchEvent(store, session, toolkit::NoEventKind), toolkit::NoEventKind);
    EXPECT_EQ(Working(), before);
}

}  // namespace
