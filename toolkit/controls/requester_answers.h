#pragma once
// Answers for the modal requesters without a person at the keyboard: tests and
// unattended runs install an answerer, which is then asked instead of showing
// the dialog. The program itself never installs one.

#include <cstdint>
#include <functional>
#include <string>

namespace toolkit {

enum class RequesterKind { Message, OpenFile };

struct RequesterQuestion {
    RequesterKind kind = RequesterKind::Message;
    std::string title;
    std::string text;         // the message, or the default file of an open-file requester
    std::string patternList;  // open-file only
    int patternIndex = 0;     // open-file only
    std::uint32_t flags = 0;  // message only
};

struct RequesterAnswer {
    int button = 0;    // message: the number of the button pressed
    std::string path;  // open-file: the chosen path; empty means cancelled
};

using RequesterAnswerer = std::function<RequesterAnswer(const RequesterQuestion&)>;

// Installs the answerer; an empty one brings the real dialogs back. Answers
// the one installed before, so a caller can put it back.
RequesterAnswerer SetRequesterAnswerer(RequesterAnswerer answerer);

// Asks the installed answerer, if there is one.
bool HasRequesterAnswerer();
RequesterAnswer AskRequesterAnswerer(const RequesterQuestion& question);

}  // namespace toolkit
