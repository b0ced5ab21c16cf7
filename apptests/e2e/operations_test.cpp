// Editing through the window: the menu operations and Undo, clicks on the
// views, the grid, and the byte operations of the row under the views.

#include "apptests/e2e/session.h"
#include "testsupport/pixel_oracle.h"
#include "screen/operations.h"

namespace e2e {
namespace {

using EndToEndOperations = ScrlabTest;

// Where the user finds each catalogue row in the Operations menu; what the
// row does comes from the catalogue.
struct MenuOperation {
    OperationsItem item;
    screen::OperationId operation;
};

const MenuOperation MenuOperations[] = {
    {OperationsItem::Optimize, screen::OperationId::Optimize},
    {OperationsItem::Invert, screen::OperationId::Invert},
    {OperationsItem::FindContour, screen::OperationId::Contour},
    {OperationsItem::CreateMask, screen::OperationId::Mask},
    {OperationsItem::Mirror, screen::OperationId::Mirror},
};

TEST_F(EndToEndOperations, EachMenuOperationSavesItsResultAndUndoRestores) {
    const std::string path = CopyScreen("screen07.scr");
    const ScreenBytes original = ReadScreen(path);
    Open(path);
    for (const MenuOperation& operation : MenuOperations) {
        SCOPED_TRACE(std::string(screen::OperationRow(operation.operation).menuTitle));
        const ScreenBytes expected = Transformed(original, operation.operation);
        ChooseOperation(operation.item);
        EXPECT_TRUE(WaitViews(expected));
        EXPECT_EQ(SaveAndRead(path, expected), expected);
        if (operation.item == OperationsItem::FindContour)
            Shot("find_contour");
        ChooseMenu(MenuTitle::Undo);
        EXPECT_TRUE(WaitViews(original));
        EXPECT_EQ(SaveAndRead(path, original), original);
    }
    EXPECT_TRUE(OpenMessageBoxes().empty());
}

TEST_F(EndToEndOperations, LeftClickInvertsACellAndRightClickTheRestOfItsRowLookingTheSame) {
    const std::string path = CopyScreen("screen02.scr");
    ScreenBytes screen = ReadScreen(path);
    Open(path);

    struct Press {
        View view;
        Cell cell;
        int button;
        screen::MouseButton which;
    };
    const Press presses[] = {{View::Mono, {5, 7}, 1, screen::MouseButton::Left},
                             {View::Colour, {20, 9}, 3, screen::MouseButton::Right}};
    for (const Press& press : presses) {
        SCOPED_TRACE(press.button == 1 ? "left" : "right");
        // Point at the cell first: it is then drawn highlighted before and after.
        const int attribute = screen[testsupport::AttributeOffset(press.cell.column, press.cell.row)];
        ASSERT_TRUE(PointAt(press.view, press.cell, StatusTitle(press.cell, attribute, path)));
        ASSERT_TRUE(WaitViews(screen, press.cell));
        std::optional<Image> colourBefore = ViewShot(View::Colour);
        ASSERT_TRUE(colourBefore);

        Click(InViewCell(press.view, press.cell), press.button);
        const ScreenBytes inverted = Transformed(screen, [&](screen::ScreenSpan working, screen::ScreenSpan) {
            screen::InvertCellsByClick(working, press.cell.column, press.cell.row, press.which);
        });
        ASSERT_NE(inverted, screen);
        EXPECT_TRUE(WaitView(View::Mono, ViewPicture(inverted, View::Mono, press.cell)));
        EXPECT_TRUE(WaitView(View::Colour, *colourBefore, Milliseconds(0))) << "the colour view changed";
        Shot(press.button == 1 ? "left_click" : "right_click");
        EXPECT_EQ(SaveAndRead(path, inverted), inverted);
        screen = inverted;
    }
}

TEST_F(EndToEndOperations, GridCheckboxDrawsAndRemovesTheBlueGrid) {
    const std::string path = CopyScreen("screen10.scr");
    const ScreenBytes screen = ReadScreen(path);
    Open(path);
    const Point grid = OnControl(app::layout::GridBox, 8);  // the box at the left of the "Grid" control
    Click(grid);
    EXPECT_TRUE(WaitViews(screen, std::nullopt, true));
    Shot("grid");
    Click(grid);
    EXPECT_TRUE(WaitViews(screen, std::nullopt, false));
}

TEST_F(EndToEndOperations, GoAppliesTheChosenByteOperationToTheAttributes) {
    const std::string path = CopyScreen("screen11.scr");
    const ScreenBytes original = ReadScreen(path);
    Open(path);

    // Type the operands over the fields' own texts and choose "Change paper b1 to b2".
    Click(OnControl(app::layout::B1FieldBox));
    Keys("ctrl+a");
    Type("0");
    Click(OnControl(app::layout::B2FieldBox));
    Keys("ctrl+a");
    Type("$5");
    Click(OnControl(app::layout::OperationsBox));
    ASSERT_TRUE(WaitForPopup("the operations list"));
    for (int step = 0; step < 6; ++step)
        Keys("Down");
    Keys("Return");
    Shot("operands");

    // Nothing changes before "go!".
    ParkPointer();
    EXPECT_EQ(SaveAndRead(path, original), original);
    EXPECT_TRUE(WaitViews(original, std::nullopt, false, Milliseconds(0)));

    Click(OnControl(app::layout::GoBox));
    const ScreenBytes expected = Transformed(original, [](screen::ScreenSpan working, screen::ScreenSpan) {
        screen::ApplyByteOperation(working, static_cast<int>(screen::ByteOperation::ChangePaper), "0", "$5");
    });
    ASSERT_NE(expected, original);
    ParkPointer();
    EXPECT_TRUE(WaitViews(expected));
    EXPECT_EQ(SaveAndRead(path, expected), expected);
    Shot("after_go");

    // "go!" took the undo copy.
    ChooseMenu(MenuTitle::Undo);
    EXPECT_TRUE(WaitViews(original));
}

}  // namespace
}  // namespace e2e
