#include <map>
#include <vector>

#include <QMessageBox>
#include <QPushButton>

#include "toolkit/controls/controls.h"
#include "toolkit/controls/requester_answers.h"
#include "toolkit/windows/toolkit_start.h"
#include "toolkit/windows/window_qt.h"

namespace toolkit {
namespace {

constexpr std::uint32_t ButtonsMask = 0xF;
constexpr std::uint32_t IconMask = 0xF0;
constexpr int DefaultButtonShift = 8;
constexpr std::uint32_t DefaultButtonMask = 0xF;

RequesterAnswerer answerer;

struct ButtonChoice {
    int number;
    QMessageBox::StandardButton standard;  // NoButton: one of our own
    const char* text;
};

std::vector<ButtonChoice> ButtonsOf(std::uint32_t flags) {
    const ButtonChoice ok{OkButton, QMessageBox::Ok, nullptr};
    const ButtonChoice cancel{CancelButton, QMessageBox::Cancel, nullptr};
    const ButtonChoice retry{RetryButton, QMessageBox::Retry, nullptr};
    const ButtonChoice yes{YesButton, QMessageBox::Yes, nullptr};
    const ButtonChoice no{NoButton, QMessageBox::No, nullptr};
    switch (flags & ButtonsMask) {
    case MessageOkCancel: return {ok, cancel};
    case MessageAbortRetryIgnore:
        return {{AbortButton, QMessageBox::Abort, nullptr}, retry, {IgnoreButton, QMessageBox::Ignore, nullptr}};
    case MessageYesNoCancel: return {yes, no, cancel};
    case MessageYesNo: return {yes, no};
    case MessageRetryCancel: return {retry, cancel};
    case MessageCancelTryContinue:
        return {cancel,
                {TryAgainButton, QMessageBox::NoButton, "Try Again"},
                {ContinueButton, QMessageBox::NoButton, "Continue"}};
    default: return {ok};
    }
}

QMessageBox::Icon IconOf(std::uint32_t flags) {
    switch (flags & IconMask) {
    case MessageIconStop: return QMessageBox::Critical;
    case MessageIconQuestion: return QMessageBox::Question;
    case MessageIconWarning: return QMessageBox::Warning;
    case MessageIconInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

}  // namespace

RequesterAnswerer SetRequesterAnswerer(RequesterAnswerer next) {
    RequesterAnswerer previous = std::move(answerer);
    answerer = std::move(next);
    return previous;
}

bool HasRequesterAnswerer() { return static_cast<bool>(answerer); }

RequesterAnswer AskRequesterAnswerer(const RequesterQuestion& question) {
    return answerer ? answerer(question) : RequesterAnswer{};
}

int ShowMessage(const std::string& title, const std::string& text, std::uint32_t flags) {
    if (HasRequesterAnswerer())
        return AskRequesterAnswerer({RequesterKind::Message, title, text, {}, 0, flags}).button;
    if (!ToolkitStarted())
        return 0;
    ModalRequesterScope scope;
    QMessageBox box(scope.owner());
    box.setWindowTitle(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    box.setIcon(IconOf(flags));

    std::map<QAbstractButton*, int> numbers;
    QAbstractButton* escape = nullptr;
    std::vector<QAbstractButton*> order;
    for (const ButtonChoice& choice : ButtonsOf(flags)) {
        QAbstractButton* button = choice.text ? box.addButton(QString::fromLatin1(choice.text), QMessageBox::AcceptRole)
                                              : box.addButton(choice.standard);
        numbers[button] = choice.number;
        order.push_back(button);
        if (choice.number == CancelButton)
            escape = button;
    }
    // Escape and the close box answer Cancel where there is one, and OK when
    // it is the only button.
    if (!escape && order.size() == 1)
        escape = order.front();
    box.setEscapeButton(escape);
    std::size_t defaultIndex = (flags >> DefaultButtonShift) & DefaultButtonMask;
    if (defaultIndex >= order.size())
        defaultIndex = 0;
    if (auto* push = qobject_cast<QPushButton*>(order[defaultIndex]))
        box.setDefaultButton(push);

    box.exec();
    auto pressed = numbers.find(box.clickedButton());
    if (pressed != numbers.end())
        return pressed->second;
    auto fallback = numbers.find(escape);
    return fallback == numbers.end() ? 0 : fallback->second;
}

}  // namespace toolkit
