#pragma once
// Real files in throw-away folders, and child processes for conditions a test
// must not impose on its own process (lowered limits, fewer privileges).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace files::testing {

using Bytes = std::vector<std::uint8_t>;

// A fresh folder under /tmp, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    // Names in the folder, sorted.
    std::vector<std::string> names() const;

private:
    std::filesystem::path path_;
};

Bytes ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const Bytes& bytes);
// Bytes that differ from one offset to the next.
Bytes Pattern(std::size_t count, std::uint8_t seed);
// The real screens shipped for tests, sorted by name.
std::vector<std::filesystem::path> TestScreens();

// Runs the body in a forked child and answers its exit status (the body's
// result), or -1 when the child did not exit normally. The body must not use
// the window system.
int InChildProcess(const std::function<int()>& body);

// Unprivileged user and group ids that tests switch to when they run as root,
// so that permissions apply to them.
constexpr unsigned NobodyId = 65534;
// In a child: drops root privileges; answers false if it could not.
bool DropRootPrivileges();

} // namespace files::testing

namespace files::testing {

// Stands in for the user at the message boxes and open-file requesters the
// commands open, answering at once and keeping what they showed.
class StandInUser {
public:
    struct Message {
        std::string title;
        std::string text;
        std::uint32_t flags = 0;
        bool operator==(const Message&) const = default;
    };
    struct FileRequest {
        std::string title;
        std::string defaultFile;
        std::string patterns;
        int patternIndex = 0;
    };

    StandInUser();
    ~StandInUser();
    StandInUser(const StandInUser&) = delete;
    StandInUser& operator=(const StandInUser&) = delete;

    // What the next open-file requesters answer; an empty text cancels.
    void willChoose(const std::string& path) { choice_ = path; }
    const std::vector<Message>& messages() const { return messages_; }
    const std::vector<FileRequest>& fileRequests() const { return fileRequests_; }
    void forget() { messages_.clear(); fileRequests_.clear(); }

private:
    std::string choice_;
    std::vector<Message> messages_;
    std::vector<FileRequest> fileRequests_;
};

std::ostream& operator<<(std::ostream& out, const StandInUser::Message& message);

// The messages the file commands show, exactly as the user sees them.
inline const StandInUser::Message NotScreen{"Error", "this is not ZX Spectrum picture!"};
inline const StandInUser::Message LoadError{"Error", "error loading file!"};
inline const StandInUser::Message SaveError{"Error", "error saving file!"};
inline const StandInUser::Message NothingLoaded{"Error", "load screen first!"};
inline const StandInUser::Message Cancelled{"Information", "The requester was canceled."};

} // namespace files::testing
