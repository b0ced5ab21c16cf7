#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>

#include "toolkit/controls/control_qt.h"
#include "toolkit/drop/drop.h"
#include "toolkit/drop/drop_target_qt.h"
#include "toolkit/windows/events.h"
#include "toolkit/windows/window_qt.h"
#include "toolkit/windows/windows.h"

namespace toolkit {
namespace {

constexpr int View = 0;
constexpr int Window = 0;

class TestView : public Control {
public:
    explicit TestView(QWidget* widget) : Control(ControlKind::Canvas, widget) {}
};

std::unique_ptr<QMimeData> FilesData(const QStringList& paths) {
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls.push_back(QUrl::fromLocalFile(path));
    data->setUrls(urls);
    return data;
}

struct DragOutcome {
    Qt::DropAction enter = Qt::IgnoreAction;  // IgnoreAction when refused
    Qt::DropAction drop = Qt::IgnoreAction;
};

Qt::DropAction Answered(const QDropEvent& event) { return event.isAccepted() ? event.dropAction() : Qt::IgnoreAction; }

// One whole drag over the widget: enter, one movement, release.
DragOutcome Drag(QWidget* widget, const QMimeData& data, Qt::DropActions offered,
                 Qt::KeyboardModifiers keys = Qt::NoModifier, QPoint at = QPoint(40, 30)) {
    DragOutcome outcome;
    QDragEnterEvent enter(at, offered, &data, Qt::LeftButton, keys);
    QCoreApplication::sendEvent(widget, &enter);
    outcome.enter = Answered(enter);
    QDragMoveEvent move(at, offered, &data, Qt::LeftButton, keys);
    QCoreApplication::sendEvent(widget, &move);
    QDropEvent drop(QPointF(at), offered, &data, Qt::LeftButton, keys);
    QCoreApplication::sendEvent(widget, &drop);
    outcome.drop = Answered(drop);
    return outcome;
}

class DropTargetTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(CreateTopWindow(Window, DefaultPosition, DefaultPosition, 600, 420, "drops", 0), 0);
        view_ = new QWidget(CurrentContainerWidget());
        view_->setGeometry(0, 20, 512, 384);
        ASSERT_NE(RegisterControl(View, std::make_unique<TestView>(view_)), 0);
        ClearEventQueue();
    }
    void TearDown() override {
        DestroyControl(View);
        ClearEventQueue();
    }

    // Fetches the next queued event; answers its kind.
    std::int32_t NextEvent() { return QueuedEventCount() ? WaitEvent() : NoEventKind; }

    QWidget* view_ = nullptr;
};

TEST_F(DropTargetTest, TwoFilesGiveOneEventListingBothInOrder) {
    EnableControlDrop(View, FilesDropFormat, DropCopy);
    auto data = FilesData({"/pics/first one.scr", "/pics/second.scr"});
    DragOutcome outcome = Drag(view_, *data, Qt::CopyAction | Qt::MoveAction, Qt::NoModifier, QPoint(40, 30));
    EXPECT_EQ(outcome.enter, Qt::CopyAction);
    EXPECT_EQ(outcome.drop, Qt::CopyAction);

    ASSERT_EQ(QueuedEventCount(), 1u);
    ASSERT_EQ(NextEvent(), ControlDropEvent);
    EXPECT_EQ(CurrentEventSource(), View);
    EXPECT_EQ(CurrentEventWindow(), Window);
    EXPECT_EQ(CurrentEventType(), 0);
    const auto* record = static_cast<const DropRecord*>(CurrentEventData());
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->format, FilesDropFormat);
    EXPECT_EQ(record->privateType, 0);
    EXPECT_EQ(record->action, DropCopy);
    EXPECT_EQ(record->x, 40);
    EXPECT_EQ(record->y, 30);
    EXPECT_NE(record->data, nullptr);
    EXPECT_GT(record->size, 0u);
    EXPECT_EQ(GetDroppedFiles(), "/pics/first one.scr\n/pics/second.scr");
    // Asking again while the event is current gives the same list.
    EXPECT_EQ(GetDroppedFiles(), "/pics/first one.scr\n/pics/second.scr");
    WaitEvent();
    EXPECT_EQ(GetDroppedFiles(), "");
}

TEST_F(DropTargetTest, OneFileIsItsPathAloneAndOpensTheSameFile) {
    char folderTemplate[] = "/tmp/scrlab-drop-XXXXXX";
    ASSERT_NE(mkdtemp(folderTemplate), nullptr);
    const std::filesystem::path folder(folderTemplate);
    const std::filesystem::path file = folder / "bild m\xc3\xbc"
                                                "de \xd0\xaf.scr";
    std::ofstream(file) << "screen";

    EnableControlDrop(View, FilesDropFormat, DropCopy);
    auto data = FilesData({QFile::decodeName(file.c_str())});
    EXPECT_EQ(Drag(view_, *data, Qt::CopyAction).drop, Qt::CopyAction);
    ASSERT_EQ(NextEvent(), ControlDropEvent);
    const std::string list = GetDroppedFiles();
    EXPECT_EQ(list, file.string());
    EXPECT_EQ(list.find('\n'), std::string::npos);
    std::ifstream reopened(list);
    std::string content;
    reopened >> content;
    EXPECT_EQ(content, "screen");
    std::filesystem::remove_all(folder);
}

TEST_F(DropTargetTest, SourcesThatCannotCopyAreRefused) {
    EnableControlDrop(View, FilesDropFormat, DropCopy);
    auto data = FilesData({"/pics/title.scr"});
    for (Qt::DropActions offered :
         {Qt::DropActions(Qt::MoveAction), Qt::DropActions(Qt::LinkAction), Qt::MoveAction | Qt::LinkAction}) {
        DragOutcome outcome = Drag(view_, *data, offered, Qt::ShiftModifier);
        EXPECT_EQ(outcome.enter, Qt::IgnoreAction);
        EXPECT_EQ(outcome.drop, Qt::IgnoreAction);
    }
    EXPECT_EQ(QueuedEventCount(), 0u);
}

TEST_F(DropTargetTest, TextAndRemoteAddressesAreNoFiles) {
    EnableControlDrop(View, FilesDropFormat, DropCopy);
    QMimeData text;
    text.setText("/pics/title.scr");
    EXPECT_EQ(Drag(view_, text, Qt::CopyAction).drop, Qt::IgnoreAction);
    QMimeData remote;
    remote.setUrls({QUrl("https://example.org/title.scr")});
    EXPECT_EQ(Drag(view_, remote, Qt::CopyAction).drop, Qt::IgnoreAction);
    EXPECT_EQ(QueuedEventCount(), 0u);

    // Among remote addresses, the local files alone make the list.
    QMimeData mixed;
    mixed.setUrls({QUrl("https://example.org/a.scr"), QUrl::fromLocalFile("/pics/b.scr")});
    EXPECT_EQ(Drag(view_, mixed, Qt::CopyAction).drop, Qt::CopyAction);
    ASSERT_EQ(NextEvent(), ControlDropEvent);
    EXPECT_EQ(GetDroppedFiles(), "/pics/b.scr");
}

TEST_F(DropTargetTest, TextDropsWhereTextIsEnabledButListsNoFiles) {
    EnableControlDrop(View, TextDropFormat, DropCopy);
    QMimeData text;
    text.setText("caf\xc3\xa9");
    EXPECT_EQ(Drag(view_, text, Qt::CopyAction).drop, Qt::CopyAction);
    ASSERT_EQ(NextEvent(), ControlDropEvent);
    const auto* record = static_cast<const DropRecord*>(CurrentEventData());
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->format, TextDropFormat);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(record->data.get()), record->size), "caf\xc3\xa9");
    EXPECT_EQ(GetDroppedFiles(), "");
}

TEST_F(DropTargetTest, SecondDropBeforeTheFirstIsFetchedIsMergedIntoIt) {
    EnableControlDrop(View, FilesDropFormat, DropCopy);
    auto first = FilesData({"/pics/first.scr"});
    auto second = FilesData({"/pics/second.scr"});
    Drag(view_, *first, Qt::CopyAction);
    EXPECT_EQ(Drag(view_, *second, Qt::CopyAction).drop, Qt::CopyAction);
    ASSERT_EQ(QueuedEventCount(), 1u);
    ASSERT_EQ(NextEvent(), ControlDropEvent);
    EXPECT_EQ(GetDroppedFiles(), "/pics/first.scr");
    EXPECT_EQ(NextEvent(), NoEventKind);
}

TEST_F(DropTargetTest, KeysChooseTheActionAmongThoseEnabledAndMovementsChooseAgain) {
    EnableControlDrop(View, FilesDropFormat, DropCopy | DropMove | DropLink);
    auto data = FilesData({"/pics/title.scr"});
    const Qt::DropActions all = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    EXPECT_EQ(Drag(view_, *data, all).drop, Qt::CopyAction);
    EXPECT_EQ(Drag(view_, *data, all, Qt::ShiftModifier).drop, Qt::MoveAction);
    EXPECT_EQ(Drag(view_, *data, all, Qt::ShiftModifier | Qt::ControlModifier).drop, Qt::LinkAction);
    EXPECT_EQ(Drag(view_, *data, all, Qt::AltModifier).drop, Qt::LinkAction);

    // Shift pressed after entering: the movement and the release move.
    QDragEnterEvent enter(QPoint(5, 5), all, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view_, &enter);
    EXPECT_EQ(Answered(enter), Qt::CopyAction);
    QDragMoveEvent move(QPoint(6, 6), all, data.get(), Qt::LeftButton, Qt::ShiftModifier);
    QCoreApplication::sendEvent(view_, &move);
    EXPECT_EQ(Answered(move), Qt::MoveAction);

    // Copy only: no key turns the drop into anything else.
    EnableControlDrop(View, FilesDropFormat, DropCopy);
    EXPECT_EQ(Drag(view_, *data, all, Qt::ShiftModifier).drop, Qt::CopyAction);
    EXPECT_EQ(Drag(view_, *data, all, Qt::AltModifier).drop, Qt::CopyAction);
}

TEST_F(DropTargetTest, EnablingTwiceKeepsOneEntryAndDisablingItEndsTheRegistration) {
    EnableControlDrop(View, FilesDropFormat, DropCopy);
    EnableControlDrop(View, FilesDropFormat, DropCopy);
    DropTarget* target = DropTarget::Of(view_);
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(target->formats().size(), 1u);
    EXPECT_EQ(target->ownerKind(), static_cast<int>(ControlKind::Canvas));
    EXPECT_EQ(target->ownerNumber(), View);
    EXPECT_EQ(target->highlightedItem(), -1);
    EXPECT_TRUE(view_->acceptDrops());

    EnableControlDrop(View, FilesDropFormat, DropNone);
    EXPECT_EQ(DropTarget::Of(view_), nullptr);
    EXPECT_FALSE(view_->acceptDrops());
    auto data = FilesData({"/pics/title.scr"});
    EXPECT_EQ(Drag(view_, *data, Qt::CopyAction).drop, Qt::IgnoreAction);
    EXPECT_EQ(QueuedEventCount(), 0u);
}

TEST_F(DropTargetTest, NewestEntryFirstAndReEnablingReplacesTheActionsInPlace) {
    EnableControlDrop(View, TextDropFormat, DropCopy);
    EnableControlDrop(View, FilesDropFormat, DropCopy);
    EnableControlDrop(View, TextDropFormat, DropMove);
    DropTarget* target = DropTarget::Of(view_);
    ASSERT_NE(target, nullptr);
    ASSERT_EQ(target->formats().size(), 2u);
    EXPECT_EQ(target->formats().front().key, FilesDropFormat);
    EXPECT_EQ(target->formats().back().key, TextDropFormat);
    EXPECT_EQ(target->formats().back().actions, DropMove);

    // Disabling one of two keeps the target; disabling what is not there changes nothing.
    EnableControlDrop(View, TextDropFormat, DropNone);
    EnableControlDrop(View, 49, DropNone);
    EXPECT_EQ(DropTarget::Of(view_), target);
    EXPECT_EQ(target->formats().size(), 1u);
    EXPECT_TRUE(view_->acceptDrops());
}

TEST_F(DropTargetTest, UnknownControlsAndFormatZeroAreLeftAlone) {
    EnableControlDrop(View, NoDropFormat, DropCopy);
    EXPECT_EQ(DropTarget::Of(view_), nullptr);
    EnableControlDrop(View + 17, FilesDropFormat, DropCopy);  // no such control
    EnableControlDrop(View, FilesDropFormat, DropNone);       // nothing to disable
    EXPECT_EQ(DropTarget::Of(view_), nullptr);
    EXPECT_FALSE(view_->acceptDrops());
}

TEST_F(DropTargetTest, PrivateDragsMatchByTheirType) {
    EnableControlDrop(View, PrivateDropFormat, DropMove, 0x01020304);
    QMimeData data;
    data.setData(PrivateDropMimeType, QByteArray("\x04\x03\x02\x01payload", 11));
    EXPECT_EQ(Drag(view_, data, Qt::MoveAction, Qt::NoModifier, QPoint(7, 9)).drop, Qt::MoveAction);
    ASSERT_EQ(NextEvent(), ControlDropEvent);
    const auto* record = static_cast<const DropRecord*>(CurrentEventData());
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->format, PrivateDropFormat);
    EXPECT_EQ(record->privateType, 0x01020304);
    EXPECT_EQ(record->action, DropMove);
    EXPECT_EQ(record->x, 7);
    EXPECT_EQ(record->y, 9);
    EXPECT_EQ(record->data, nullptr);
    EXPECT_EQ(record->size, 0u);
    EXPECT_EQ(GetDroppedFiles(), "");

    QMimeData other;
    other.setData(PrivateDropMimeType, QByteArray("\x05\x03\x02\x01", 4));
    EXPECT_EQ(Drag(view_, other, Qt::MoveAction).drop, Qt::IgnoreAction);
    QMimeData shortType;
    shortType.setData(PrivateDropMimeType, QByteArray("\x04\x03\x02", 3));
    EXPECT_EQ(Drag(view_, shortType, Qt::MoveAction).drop, Qt::IgnoreAction);
    EXPECT_EQ(QueuedEventCount(), 0u);
}

TEST_F(DropTargetTest, DropDataIsReadOnlyWhileADropEventIsCurrent) {
    // A record-like block behind an event of another kind is no file list.
    auto* fake = new DropRecord;
    fake->format = FilesDropFormat;
    fake->data.reset(new std::uint8_t[3]{'a', 0, 0});
    fake->size = 3;
    PostEvent(ControlEvent, View, Window, 0, fake, ReleaseDropRecord);
    ASSERT_EQ(NextEvent(), ControlEvent);
    EXPECT_EQ(GetDroppedFiles(), "");
    // And a drop event without data has none to give.
    PostEvent(ControlDropEvent, View, Window, 0);
    ASSERT_EQ(NextEvent(), ControlDropEvent);
    EXPECT_EQ(GetDroppedFiles(), "");
}

TEST_F(DropTargetTest, AWindowTargetPostsWindowDropEvents) {
    QWidget* container = CurrentContainerWidget();
    ASSERT_NE(container, nullptr);
    EnableWindowDrop(Window, FilesDropFormat, DropCopy);
    auto data = FilesData({"/pics/a.scr", "/pics/b.scr"});
    // Over a part of the window that takes no drops itself, the window does.
    EXPECT_EQ(Drag(container, *data, Qt::CopyAction).drop, Qt::CopyAction);
    ASSERT_EQ(NextEvent(), WindowDropEvent);
    EXPECT_EQ(CurrentEventSource(), 0);
    EXPECT_EQ(CurrentEventWindow(), Window);
    EXPECT_EQ(GetDroppedFiles(), "/pics/a.scr\n/pics/b.scr");
    EnableWindowDrop(Window, FilesDropFormat, DropNone);
    EXPECT_EQ(DropTarget::Of(TopWindowWidget(Window)), nullptr);
}

TEST_F(DropTargetTest, ATargetDiesWithItsControl) {
    EnableControlDrop(View, FilesDropFormat, DropCopy);
    QPointer<DropTarget> target = DropTarget::Of(view_);
    ASSERT_FALSE(target.isNull());
    DestroyControl(View);
    EXPECT_TRUE(target.isNull());
    EnableControlDrop(View, FilesDropFormat, DropNone);  // the number is free again
}

TEST_F(DropTargetTest, CheckBoxesOverAViewGoBehindIt) {
    auto* covering = new QCheckBox("Grid", CurrentContainerWidget());
    covering->setGeometry(10, 30, 80, 20);  // over the view, and stacked above it
    auto* apart = new QCheckBox("apart", CurrentContainerWidget());
    apart->setGeometry(10, 500, 80, 20);
    const QObjectList& before = CurrentContainerWidget()->children();
    ASSERT_GT(before.indexOf(covering), before.indexOf(view_));

    EnableControlDrop(View, FilesDropFormat, DropCopy);
    const QObjectList& after = CurrentContainerWidget()->children();
    EXPECT_LT(after.indexOf(covering), after.indexOf(view_));
    EXPECT_GT(after.indexOf(apart), after.indexOf(view_));
    delete covering;
    delete apart;
}

}  // namespace
}  // namespace toolkit
