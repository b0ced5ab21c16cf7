#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include <QTimer>

#include "toolkit/windows/events.h"

namespace toolkit {
namespace {

std::vector<int> released;

void Remember(void* data) { released.push_back(*static_cast<int*>(data)); }

class EventQueueTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearEventQueue();
        released.clear();
    }
    void TearDown() override { ClearEventQueue(); }
    int first = 1;
    int second = 2;
    int third = 3;
};

TEST_F(EventQueueTest, IdenticalNeighboursMergeKeepingTheFirstData) {
    PostEvent(ControlEvent, 4, 0, 768, &first, Remember);
    PostEvent(ControlEvent, 4, 0, 768, &second, Remember);
    EXPECT_EQ(QueuedEventCount(), 1u);
    EXPECT_EQ(released, std::vector<int>{2});  // the newcomer's data, at once

    PostEvent(MenuEvent, 1, 0, 0);  // so the second wait does not block
    ASSERT_EQ(WaitEvent(), ControlEvent);
    EXPECT_EQ(CurrentEventSource(), 4);
    EXPECT_EQ(CurrentEventType(), 768);
    EXPECT_EQ(CurrentEventData(), &first);
    EXPECT_EQ(released, std::vector<int>{2});  // the current event's data lives on

    ASSERT_EQ(WaitEvent(), MenuEvent);
    EXPECT_EQ(released, (std::vector<int>{2, 1}));  // released when it stopped being current
    EXPECT_EQ(CurrentEventData(), nullptr);
}

TEST_F(EventQueueTest, EventsDifferingInAnyFieldStayInOrder) {
    struct Fields {
        std::int32_t kind, source, window, type;
    };
    const Fields base{ControlEvent, 3, 0, 0};
    const std::vector<Fields> others = {
        {MenuEvent, 3, 0, 0}, {ControlEvent, 4, 0, 0}, {ControlEvent, 3, 1, 0}, {ControlEvent, 3, 0, 1}};
    for (const Fields& other : others) {
        ClearEventQueue();
        PostEvent(base.kind, base.source, base.window, base.type);
        PostEvent(other.kind, other.source, other.window, other.type);
        ASSERT_EQ(QueuedEventCount(), 2u);
        ASSERT_EQ(WaitEvent(), base.kind);
        EXPECT_EQ(CurrentEventSource(), base.source);
        EXPECT_EQ(CurrentEventWindow(), base.window);
        EXPECT_EQ(CurrentEventType(), base.type);
        ASSERT_EQ(WaitEvent(), other.kind);
        EXPECT_EQ(CurrentEventSource(), other.source);
        EXPECT_EQ(CurrentEventWindow(), other.window);
        EXPECT_EQ(CurrentEventType(), other.type);
    }
}

TEST_F(EventQueueTest, OnlyTheLastQueuedEventTakesMerges) {
    PostEvent(ControlEvent, 1, 0, 0, &first, Remember);
    PostEvent(ControlEvent, 2, 0, 0);
    PostEvent(ControlEvent, 1, 0, 0, &second, Remember);
    EXPECT_EQ(QueuedEventCount(), 3u);
    EXPECT_TRUE(released.empty());
}

TEST_F(EventQueueTest, KindsFromTheMergeLimitUpNeverMerge) {
    PostEvent(65536, 1, 0, 0);
    PostEvent(65536, 1, 0, 0);
    EXPECT_EQ(QueuedEventCount(), 2u);
    PostEvent(65535, 1, 0, 0);
    PostEvent(65535, 1, 0, 0);
    EXPECT_EQ(QueuedEventCount(), 3u);
}

TEST_F(EventQueueTest, SuppressionDropsEverythingAndReleasesItsData) {
    {
        EventSuppression outer;
        {
            EventSuppression inner;
            PostEvent(ControlEvent, 1, 0, 0, &first, Remember);
        }
        EXPECT_EQ(EventSuppressionCount(), 1);
        PostEvent(MenuEvent, 2, 0, 0, &second, Remember);
        PostEvent(CloseWindowEvent, 0, 0, 0);
        EXPECT_EQ(QueuedEventCount(), 0u);
    }
    EXPECT_EQ(EventSuppressionCount(), 0);
    EXPECT_EQ(released, (std::vector<int>{1, 2}));
    PostEvent(MenuEvent, 2, 0, 0, &third, Remember);
    EXPECT_EQ(QueuedEventCount(), 1u);
}

TEST_F(EventQueueTest, WaitWithNothingQueuedProcessesOneMessageAndAnswersNoKind) {
    bool delivered = false;
    QTimer::singleShot(0, [&] {
        delivered = true;
        PostEvent(CloseWindowEvent, 0, 0, 0);
    });
    std::int32_t answer = NoEventKind;
    for (int tries = 0; tries < 100 && !delivered; ++tries) {
        answer = WaitEvent();
        EXPECT_EQ(answer, NoEventKind);
        EXPECT_EQ(CurrentEventKind(), 0);
        EXPECT_EQ(CurrentEventType(), -1);
    }
    ASSERT_TRUE(delivered);
    EXPECT_EQ(WaitEvent(), CloseWindowEvent);  // what the message posted comes next
    EXPECT_EQ(CurrentEventSource(), 0);
    EXPECT_EQ(CurrentEventType(), 0);
}

TEST_F(EventQueueTest, ClearingReleasesQueuedAndCurrentData) {
    PostEvent(ControlEvent, 1, 0, 0, &first, Remember);
    PostEvent(ControlEvent, 2, 0, 0, &second, Remember);
    ASSERT_EQ(WaitEvent(), ControlEvent);
    ClearEventQueue();
    std::sort(released.begin(), released.end());
    EXPECT_EQ(released, (std::vector<int>{1, 2}));
    EXPECT_EQ(QueuedEventCount(), 0u);
    EXPECT_EQ(CurrentEventData(), nullptr);
}

}  // namespace
}  // namespace toolkit
