#include <functional>
#include <memory>
#include <ostream>

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "toolkit/controls/control_qt.h"
#include "toolkit/controls/controls.h"
#include "toolkit/controls/requester_answers.h"
#include "toolkit/windows/events.h"
#include "toolkit/windows/queued_events_test_support.h"
#include "toolkit/windows/window_qt.h"
#include "toolkit/windows/windows.h"

// Readable failure messages for Qt texts.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace toolkit {
namespace {

using test_support::TakeEvents;
using test_support::TakenEvent;

const std::string ProgramPatterns = "All files (*.*)|*.*|ZX Spectrum screens (*.scr)|*.scr;*.bat";
const std::string ProgramTitle = "Please choose file to load";

// Runs `answer` on the requester of type Dialog as soon as it shows; the
// answer must close it. A requester that never shows or stays open fails the
// test instead of hanging it.
template <typename Dialog>
void WhenShown(std::function<void(Dialog*)> answer) {
    auto* poll = new QTimer;
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, answer, started] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (dialog && dialog->isVisible()) {
            poll->stop();
            poll->deleteLater();
            // The window system activates a new requester a moment after it shows.
            EXPECT_TRUE(QTest::qWaitFor([dialog] { return QApplication::activeWindow() == dialog; }, 3000));
            answer(dialog);
            if (dialog->isVisible()) {
                ADD_FAILURE() << "the requester is still open after the answer";
                dialog->reject();
            }
        } else if (started->elapsed() > 5000) {
            poll->stop();
            poll->deleteLater();
            ADD_FAILURE() << "the requester never showed";
            if (auto* open = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                open->reject();
        }
    });
    poll->start();
}

QStringList ListedNames(QFileDialog* dialog, int expectedCount) {
    auto* list = dialog->findChild<QListView*>(QStringLiteral("listView"));
    QStringList names;
    if (!list)
        return names;
    auto collect = [&] {
        names.clear();
        QModelIndex root = list->rootIndex();
        for (int row = 0; row < list->model()->rowCount(root); ++row)
            names << list->model()->index(row, 0, root).data().toString();
        return names.size() == expectedCount;
    };
    static_cast<void>(QTest::qWaitFor(collect, 3000));  // the comparison tells what was listed
    names.sort();
    return names;
}

// Types the name as the user would and presses Return.
void TypeAndAccept(QFileDialog* dialog, const QString& text) {
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setFocus();
    name->clear();
    QTest::keyClicks(name, text);
    QTest::keyClick(name, Qt::Key_Return);
}

class RequesterTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(CreateTopWindow(0, 381, 118, 1073, 510, "New window ( 0 )", 0xCC0000), 0);
        window = TopWindowOfNumber(0);
        ASSERT_NE(CreateCheckBox(3, 280, 0, 270, 20, "Grid"), 0);
        ASSERT_NE(CreateTextField(4, 0, 405, 40, 20, "b1"), 0);
        AddShortcut(0, ShortcutControl | 'O', 0);
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        ASSERT_TRUE(folder.isValid());
        TakeEvents();
    }
    void TearDown() override {
        SetRequesterAnswerer(nullptr);
        DestroyAllWindows();
        ClearEventQueue();
    }
    // A path in the scratch folder; with an empty name, the folder with a
    // closing slash, which opens the requester there with no name offered.
    std::string InFolder(const QString& name) const {
        return QFile::encodeName(folder.path() + QStringLiteral("/") + name).toStdString();
    }
    // A click that goes through the window system, as the user's would, so a
    // modal requester can block it.
    void ClickGrid() const {
        QWidget* box = FindControl(3)->widget();
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                          box->mapTo(window, QPoint(8, box->height() / 2)));
    }
    void MakeFiles(const QStringList& names) const {
        for (const QString& name : names) {
            QFile file(folder.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
    }
    QMainWindow* window = nullptr;
    QTemporaryDir folder;
};

TEST_F(RequesterTest, MessageBoxShowsItsTextWithOneButtonAndBlocksTheWindow) {
    QString title, text;
    int buttons = -1;
    QMessageBox::Icon icon = QMessageBox::Warning;
    int stateWhileShown = -1;
    WhenShown<QMessageBox>([&](QMessageBox* box) {
        title = box->windowTitle();
        text = box->text();
        buttons = static_cast<int>(box->buttons().size());
        icon = box->icon();
        ClickGrid();
        stateWhileShown = GetControlState(3);
        QTest::mouseClick(box->buttons().first(), Qt::LeftButton);
    });
    EXPECT_EQ(ShowMessage("Error", "Wrong file size <6912> & more", MessageOk), OkButton);
    EXPECT_EQ(title, QStringLiteral("Error"));
    EXPECT_EQ(text, QStringLiteral("Wrong file size <6912> & more"));
    EXPECT_EQ(buttons, 1);
    EXPECT_EQ(icon, QMessageBox::NoIcon);
    EXPECT_EQ(stateWhileShown, 0);
    EXPECT_TRUE(TakeEvents(ControlEvent).empty());

    // Afterwards the window is active and answers again.
    EXPECT_TRUE(QTest::qWaitForWindowActive(window));
    ClickGrid();
    EXPECT_EQ(GetControlState(3), 1);
    FindControl(4)->widget()->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(TakeEvents(MenuEvent), (std::vector<TakenEvent>{{MenuEvent, 0, 0, 0}}));
}

TEST_F(RequesterTest, MessageBoxButtonsFollowTheFlags) {
    WhenShown<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->buttons().size(), 2);
        EXPECT_EQ(box->icon(), QMessageBox::Question);
        QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
    });
    EXPECT_EQ(ShowMessage("Question", "Sure?", MessageYesNo | MessageIconQuestion), NoButton);

    WhenShown<QMessageBox>([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
    EXPECT_EQ(ShowMessage("Information", "Escape cancels", MessageOkCancel), CancelButton);

    WhenShown<QMessageBox>([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
    EXPECT_EQ(ShowMessage("Information", "Escape answers OK", MessageOk), OkButton);

    WhenShown<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->buttons().size(), 3);
        QTest::keyClick(box, Qt::Key_Return);  // the second button is the default
    });
    EXPECT_EQ(ShowMessage("Question", "Again?", MessageCancelTryContinue | 0x100), TryAgainButton);
}

TEST_F(RequesterTest, OpenFileRequesterOffersTheLabelsAndStartsWithTheFirst) {
    QStringList labels;
    QString title;
    int selected = -1;
    WhenShown<QFileDialog>([&](QFileDialog* dialog) {
        title = dialog->windowTitle();
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        if (types) {
            for (int i = 0; i < types->count(); ++i)
                labels << types->itemText(i);
            selected = types->currentIndex();
        }
        dialog->reject();
    });
    EXPECT_EQ(AskFileToOpen(ProgramTitle, "", ProgramPatterns, 0), "");
    EXPECT_EQ(title, QString::fromStdString(ProgramTitle));
    EXPECT_EQ(labels, (QStringList{"All files (*.*)", "ZX Spectrum screens (*.scr)"}));
    EXPECT_EQ(selected, 0);
    EXPECT_TRUE(QTest::qWaitForWindowActive(window));
}

TEST_F(RequesterTest, ScreenFilterListsBothPatternsAndAllFilesListsEverything) {
    MakeFiles({"a.scr", "b.bat", "c.txt", "noext", "UPPER.SCR"});
    QStringList screens, everything;
    WhenShown<QFileDialog>([&](QFileDialog* dialog) {
        screens = ListedNames(dialog, 3);
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        types->setFocus();
        QTest::keyClick(types, Qt::Key_Up);  // the user picks "All files (*.*)"
        everything = ListedNames(dialog, 5);
        dialog->reject();
    });
    EXPECT_EQ(AskFileToOpen(ProgramTitle, InFolder(""), ProgramPatterns, 1), "");
    EXPECT_EQ(screens, (QStringList{"UPPER.SCR", "a.scr", "b.bat"}));
    EXPECT_EQ(everything, (QStringList{"UPPER.SCR", "a.scr", "b.bat", "c.txt", "noext"}));
}

TEST_F(RequesterTest, TypedNameOfAMissingFileComesBackAsItsPath) {
    const QString before = QDir::currentPath();
    WhenShown<QFileDialog>([](QFileDialog* dialog) { TypeAndAccept(dialog, QStringLiteral("missing.scr")); });
    EXPECT_EQ(AskFileToOpen(ProgramTitle, InFolder("x.scr"), ProgramPatterns, 0), InFolder("missing.scr"));
    EXPECT_EQ(QDir::currentPath(), before);
}

TEST_F(RequesterTest, LongPathsComeBackWhole) {
    QString deep = folder.path();
    for (int level = 0; level < 6; ++level)
        deep += QStringLiteral("/") + QString(50, QChar('a' + level));
    ASSERT_TRUE(QDir().mkpath(deep));
    MakeFiles({});
    const QString file = deep + QStringLiteral("/screen-with-a-long-name.scr");
    ASSERT_GT(file.size(), 300);
    WhenShown<QFileDialog>([file](QFileDialog* dialog) { TypeAndAccept(dialog, file); });
    EXPECT_EQ(AskFileToOpen(ProgramTitle, "", ProgramPatterns, 0), QFile::encodeName(file).toStdString());
}

TEST_F(RequesterTest, NameInAMissingFolderIsRefused) {
    bool warned = false;
    bool stillOpen = false;
    WhenShown<QFileDialog>([&](QFileDialog* dialog) {
        WhenShown<QMessageBox>([&](QMessageBox* box) {
            warned = true;
            box->accept();
        });
        TypeAndAccept(dialog, QStringLiteral("/no-such-folder-for-scrlab/a.scr"));
        stillOpen = dialog->isVisible();
        dialog->reject();
    });
    EXPECT_EQ(AskFileToOpen(ProgramTitle, "", ProgramPatterns, 0), "");
    EXPECT_TRUE(warned);
    EXPECT_TRUE(stillOpen);
}

TEST_F(RequesterTest, OfferedNameOfAnExistingFileIsTakenWithReturn) {
    const QString name = QString::fromUtf8("\xc3\xa9t\xc3\xa9.scr");
    MakeFiles({name});
    QString offered;
    WhenShown<QFileDialog>([&offered](QFileDialog* dialog) {
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(edit, nullptr);
        offered = edit->text();
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Return);
    });
    std::string chosen = AskFileToOpen(ProgramTitle, InFolder(name), ProgramPatterns, 1);
    EXPECT_EQ(offered, name);
    EXPECT_EQ(chosen, InFolder(name));
    EXPECT_TRUE(QFile::exists(QFile::decodeName(chosen.c_str())));
}

TEST_F(RequesterTest, InstalledAnswererStandsInForTheDialogs) {
    std::vector<RequesterQuestion> asked;
    SetRequesterAnswerer([&](const RequesterQuestion& question) {
        asked.push_back(question);
        return RequesterAnswer{question.kind == RequesterKind::Message ? OkButton : 0, "/tmp/chosen.scr"};
    });
    bool dialogShown = false;
    QTimer::singleShot(0, [&] { dialogShown = QApplication::activeModalWidget() != nullptr; });
    EXPECT_EQ(ShowMessage("Information", "Saved", MessageIconInformation), OkButton);
    EXPECT_EQ(AskFileToOpen(ProgramTitle, "", ProgramPatterns, 1), "/tmp/chosen.scr");
    QApplication::processEvents();
    EXPECT_FALSE(dialogShown);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].kind, RequesterKind::Message);
    EXPECT_EQ(asked[0].title, "Information");
    EXPECT_EQ(asked[0].text, "Saved");
    EXPECT_EQ(asked[0].flags, MessageIconInformation);
    EXPECT_EQ(asked[1].kind, RequesterKind::OpenFile);
    EXPECT_EQ(asked[1].title, ProgramTitle);
    EXPECT_EQ(asked[1].patternList, ProgramPatterns);
    EXPECT_EQ(asked[1].patternIndex, 1);

    RequesterAnswerer previous = SetRequesterAnswerer(nullptr);
    EXPECT_TRUE(static_cast<bool>(previous));
    EXPECT_FALSE(HasRequesterAnswerer());
}

}  // namespace
}  // namespace toolkit
