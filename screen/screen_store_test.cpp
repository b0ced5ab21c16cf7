#include "screen/screen_store.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include <string>
#include <vector>

#include "screen/operations.h"
#include "screen/screen_test_support.h"

namespace screen {
namespace {

using testing::FirstDifference;
using testsupport::ScreenBytes;

// What an accepted load does to the store: read the file, then snapshot it.
void LoadAccepted(ScreenStore& store, const ScreenBytes& bytes) {
    std::memcpy(store.Working(), bytes.data(), bytes.size());
    TakeUndoCopy(store);
}

bool WorkingEquals(const ScreenStore& store, const ScreenBytes& bytes) {
    return FirstDifference(store.Working(), bytes.data(), 0, 6912) == -1;
}

TEST(ScreenStore, StartsZeroFilledWithTheUndoScreenRightAfterTheWorkingScreen) {
    ScreenStore store;
    const ScreenBytes zero{};
    EXPECT_EQ(FirstDifference(store.Working(), zero.data(), 0, 6912), -1);
    EXPECT_EQ(FirstDifference(store.Undo(), zero.data(), 0, 6912), -1);
    EXPECT_EQ(FirstDifference(store.Scratch(), zero.data(), 0, 6912), -1);
    EXPECT_EQ(store.Undo() - store.Working(), 6912);
}

TEST(ScreenStore, CopiesMoveWholeScreensOnly) {
    ScreenStore store;
    store.Working()[0] = 1;
    store.Working()[6911] = 2;
    store.Scratch()[5] = 9;
    TakeUndoCopy(store);
    EXPECT_EQ(store.Undo()[0], 1);
    EXPECT_EQ(store.Undo()[6911], 2);
    store.Working()[0] = 3;
    store.Working()[6911] = 4;
    RestoreUndoCopy(store);
    EXPECT_EQ(store.Working()[0], 1);
    EXPECT_EQ(store.Working()[6911], 2);
    EXPECT_EQ(store.Scratch()[5], 9);
}

struct SnapshotCase {
    std::string what;
    std::function<void(ScreenStore&)> run;
};

void PrintTo(const SnapshotCase& c, std::ostream* os) { *os << c.what; }

class SnapshottingOperation : public ::testing::TestWithParam<SnapshotCase> {};

TEST_P(SnapshottingOperation, SnapshotsTheScreenAsItWasBeforeAndUndoBringsItBack) {
    ScreenStore store;
    LoadAccepted(store, testsupport::RealScreenBytes("screen02"));
    const ScreenBytes before = testsupport::RealScreenBytes("screen04");
    std::memcpy(store.Working(), before.data(), before.size());

    GetParam().run(store);
    EXPECT_EQ(FirstDifference(store.Undo(), before.data(), 0, 6912), -1);
    RestoreUndoCopy(store);
    EXPECT_TRUE(WorkingEquals(store, before));
    RestoreUndoCopy(store);
    EXPECT_TRUE(WorkingEquals(store, before));
    EXPECT_EQ(FirstDifference(store.Undo(), before.data(), 0, 6912), -1);
}

// A menu operation and "go!" as the window runs them: the row around the undo copy.
void RunRow(ScreenStore& store, const ScreenOperation& row) { ChangeWithUndo(store, row.apply); }
void Go(ScreenStore& store, int index) {
    ChangeWithUndo(store, [index](ScreenSpan working, ScreenSpan) { ApplyByteOperation(working, index, "7", "$20"); });
}
void Click(ScreenStore& store, int column, int row, MouseButton button) {
    InvertCellsByClick(WorkingScreen(store), column, row, button);
}

// Every row of the catalogue and every item of the byte-operation list.
std::vector<SnapshotCase> EveryOperation() {
    std::vector<SnapshotCase> cases;
    for (const ScreenOperation& row : ScreenOperations)
        cases.push_back({std::string(row.command), [&row](ScreenStore& store) { RunRow(store, row); }});
    for (int index = 0; index < static_cast<int>(ByteOperations.size()); ++index)
        cases.push_back({"Go" + std::to_string(index), [index](ScreenStore& store) { Go(store, index); }});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Menu, SnapshottingOperation, ::testing::ValuesIn(EveryOperation()),
                         [](const auto& info) { return info.param.what; });

TEST(UndoDiscipline, UndoBeforeAnythingKeepsTheEmptyScreen) {
    ScreenStore store;
    RestoreUndoCopy(store);
    EXPECT_TRUE(WorkingEquals(store, ScreenBytes{}));
}

TEST(UndoDiscipline, UndoRightAfterALoadChangesNothing) {
    ScreenStore store;
    LoadAccepted(store, testsupport::RealScreenBytes("screen05"));
    RestoreUndoCopy(store);
    EXPECT_TRUE(WorkingEquals(store, testsupport::RealScreenBytes("screen05")));
}

TEST(UndoDiscipline, ClicksAfterTheSnapshotAreLost) {
    ScreenStore store;
    const ScreenBytes& loaded = testsupport::RealScreenBytes("screen01");
    LoadAccepted(store, loaded);
    RunRow(store, OperationRow(OperationId::Invert));
    Click(store, 4, 4, MouseButton::Right);
    RestoreUndoCopy(store);
    EXPECT_TRUE(WorkingEquals(store, loaded));
}

TEST(UndoDiscipline, ClicksBeforeTheSnapshotStay) {
    ScreenStore store;
    LoadAccepted(store, testsupport::RealScreenBytes("screen01"));
    Click(store, 4, 4, MouseButton::Left);
    ScreenBytes clicked;
    std::memcpy(clicked.data(), store.Working(), clicked.size());
    ASSERT_FALSE(WorkingEquals(store, testsupport::RealScreenBytes("screen01")));

    Go(store, 0);
    EXPECT_TRUE(WorkingEquals(store, clicked));
    RestoreUndoCopy(store);
    EXPECT_TRUE(WorkingEquals(store, clicked));
}

TEST(UndoDiscipline, UndoTwiceIsUndoOnce) {
    ScreenStore store;
    const ScreenBytes& loaded = testsupport::RealScreenBytes("screen03");
    LoadAccepted(store, loaded);
    RunRow(store, OperationRow(OperationId::Invert));
    RestoreUndoCopy(store);
    EXPECT_TRUE(WorkingEquals(store, loaded));
    RestoreUndoCopy(store);
    EXPECT_TRUE(WorkingEquals(store, loaded));
}

TEST(UndoDiscipline, OnlyTheLastSnapshotIsKept) {
    ScreenStore store;
    LoadAccepted(store, testsupport::RealScreenBytes("screen03"));
    RunRow(store, OperationRow(OperationId::Invert));
    ScreenBytes inverted;
    std::memcpy(inverted.data(), store.Working(), inverted.size());
    RunRow(store, OperationRow(OperationId::Mirror));
    RestoreUndoCopy(store);
    EXPECT_TRUE(WorkingEquals(store, inverted));
}

}  // namespace
}  // namespace screen
