#include <gtest/gtest.h>

#include <QMainWindow>
#include <QPointer>
#include <QTest>

#include "toolkit/controls/control_qt.h"
#include "toolkit/controls/controls.h"
#include "toolkit/windows/events.h"
#include "toolkit/windows/window_qt.h"
#include "toolkit/windows/windows.h"

namespace toolkit {
namespace {

class ControlRegistryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(CreateTopWindow(0, 0, 0, 600, 300, "registry", 0xCC0000), 0); }
    void TearDown() override {
        DestroyAllWindows();
        ClearEventQueue();
    }
};

TEST_F(ControlRegistryTest, ReusingANumberDestroysTheControlThatHeldIt) {
    ASSERT_NE(CreateCheckBox(3, 280, 0, 270, 20, "Grid"), 0);
    QPointer<QWidget> old = FindControl(3)->widget();
    std::intptr_t created = CreateTextField(3, 0, 405, 40, 20, "b1");
    ASSERT_NE(created, 0);
    EXPECT_TRUE(old.isNull());
    ASSERT_NE(FindControl(3), nullptr);
    EXPECT_EQ(FindControl(3)->kind(), ControlKind::TextField);
    EXPECT_EQ(created, reinterpret_cast<std::intptr_t>(FindControl(3)->widget()));
    EXPECT_EQ(ControlsInCreationOrder().size(), 1u);
    EXPECT_EQ(GetControlText(3), "b1");
}

// Appended rather than concatenated: GCC 12 at -O2 and above warns wrongly
// (-Wrestrict) about the copies inside "n" + std::to_string(number).
std::string ButtonText(int number) {
    std::string text = std::to_string(number);
    text.insert(text.begin(), 'n');
    return text;
}

TEST_F(ControlRegistryTest, NumbersBeyondTheTableGrowIt) {
    for (int number : {49, 50, 120, 169, 170, 1000}) {
        ASSERT_NE(CreateButton(number, 0, 0, 40, 20, ButtonText(number)), 0) << number;
    }
    for (int number : {49, 50, 120, 169, 170, 1000}) {
        ASSERT_NE(FindControl(number), nullptr) << number;
        EXPECT_EQ(FindControl(number)->number(), number);
        EXPECT_EQ(GetControlText(number), ButtonText(number));
    }
    EXPECT_EQ(FindControl(121), nullptr);
}

TEST_F(ControlRegistryTest, ChosenNumbersEndWhereTheDesktopsIdentifiersEnd) {
    EXPECT_NE(CreateButton(0xFFFF, 0, 0, 40, 20, "last"), 0);
    EXPECT_EQ(CreateButton(0x10000, 0, 0, 40, 20, "too far"), 0);
    EXPECT_EQ(CreateButton(0x7FFFFFFF, 0, 0, 40, 20, "far too far"), 0);
    EXPECT_EQ(ControlsInCreationOrder().size(), 1u);
}

TEST_F(ControlRegistryTest, AutomaticNumbersAreDistinctAndNonzero) {
    std::intptr_t first = CreateButton(AutomaticNumber, 0, 0, 40, 20, "one");
    std::intptr_t second = CreateCheckBox(AutomaticNumber, 0, 30, 40, 20, "two");
    ASSERT_NE(first, 0);
    ASSERT_NE(second, 0);
    EXPECT_NE(first, second);
    EXPECT_EQ(GetControlText(static_cast<int>(first)), "one");
    EXPECT_EQ(GetControlText(static_cast<int>(second)), "two");
    // Events name an automatic control by that number.
    EXPECT_EQ(FindControl(static_cast<int>(second))->number(), static_cast<int>(second));
    QPointer<QWidget> widget = FindControl(static_cast<int>(first))->widget();
    DestroyControl(static_cast<int>(first));
    EXPECT_EQ(FindControl(static_cast<int>(first)), nullptr);
    EXPECT_TRUE(widget.isNull());
    EXPECT_NE(FindControl(static_cast<int>(second)), nullptr);
}

TEST_F(ControlRegistryTest, CreationFailsWithoutAWindowOrWithANegativeNumber) {
    EXPECT_EQ(CreateButton(-2, 0, 0, 40, 20, "bad"), 0);
    EXPECT_TRUE(ControlsInCreationOrder().empty());
    DestroyAllWindows();
    EXPECT_EQ(CreateCheckBox(3, 0, 0, 40, 20, "nowhere"), 0);
    EXPECT_EQ(CreateComboBox(6, 0, 0, 40, 20), 0);
    EXPECT_EQ(FindControl(3), nullptr);
}

TEST_F(ControlRegistryTest, NumbersNotInUseAnswerNothing) {
    EXPECT_EQ(GetControlState(33), 0);
    EXPECT_EQ(GetControlText(33), "");
    EXPECT_EQ(GetControlAttribute(33, 1), 0);
    ControlBounds bounds{1, 2, 3, 4};
    EXPECT_FALSE(GetControlBounds(33, bounds));
    EXPECT_EQ(bounds, (ControlBounds{1, 2, 3, 4}));
    SetControlState(33, 1);
    AddControlItem(33, AppendItem, "x");
    SetControlTooltip(33, "tip");
    SetControlAttribute(33, 1, 2);
    DestroyControl(33);
    EXPECT_EQ(FindControl(33), nullptr);
}

TEST_F(ControlRegistryTest, ControlsGoWithTheirWindow) {
    ASSERT_NE(CreateCheckBox(3, 0, 0, 40, 20, "Grid"), 0);
    ASSERT_NE(CreateButton(AutomaticNumber, 0, 30, 40, 20, "go!"), 0);
    EXPECT_EQ(FindControl(3)->window(), 0);
    DestroyAllWindows();
    EXPECT_EQ(FindControl(3), nullptr);
    EXPECT_TRUE(ControlsInCreationOrder().empty());
}

TEST_F(ControlRegistryTest, ControlsAreKnownByTheirInnerParts) {
    ASSERT_NE(CreateComboBox(6, 40, 405, 160, 20), 0);
    QWidget* combo = FindControl(6)->widget();
    auto* inner = new QWidget(combo);
    EXPECT_EQ(ControlOfWidget(inner), FindControl(6));
    EXPECT_EQ(ControlOfWidget(combo->window()), nullptr);
}

}  // namespace
}  // namespace toolkit
