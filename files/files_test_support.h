#pragma once
// Real files in throw-away folders, and child processes for conditions a test
// must not impose on its own process (lowered limits, fewer privileges).

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "files/file_seams.h"
#include "files/screen_files.h"
#include "testsupport/real_screens.h"

namespace files::testing {

using Bytes = std::vector<std::uint8_t>;
using ScreenBuffer = std::array<std::uint8_t, ScreenFileSize>;

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
    // Every file below the folder (by relative name) with its bytes, and every
    // folder (its name ending in '/') with none: equal snapshots mean nothing
    // was written, made or removed.
    std::map<std::string, Bytes> Snapshot() const;

private:
    std::filesystem::path path_;
};

Bytes ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const Bytes& bytes);
// Bytes that differ from one offset to the next.
Bytes Pattern(std::size_t count, std::uint8_t seed);
// The real screen at that place in the test data's name order.
inline const ScreenBuffer& RealScreen(std::size_t which) { return testsupport::RealScreens().at(which).bytes; }
Bytes AsBytes(const ScreenBuffer& screen);

// Runs the body in a forked child and answers its exit status (the body's
// result), or -1 when the child did not exit normally. The body must not use
// the window system.
int InChildProcess(const std::function<int()>& body);

// Unprivileged user and group ids that tests switch to when they run as root,
// so that permissions apply to them.
constexpr unsigned NobodyId = 65534;
// In a child: drops root privileges; answers false if it could not.
bool DropRootPrivileges();
// In a child: becomes that user (and group of the same number).
bool BecomeUser(unsigned uid);

// A user a case runs as, with another user who plants entries for it.
struct Runner {
    const char* name;
    unsigned uid;
    unsigned stranger;
};
// Root and nobody when the tests run as root, else none: planting other
// users' entries needs root.
std::vector<Runner> RootAndNobody();
// Root and nobody as root, else the user running the tests alone: for the
// cases that need no other user.
std::vector<Runner> Anyone();

// A write's cause as a child's exit status, so the parent can compare it:
// errno values stay below 100, the library's own causes are 100 and up.
int StatusOf(std::error_code error);
// Runs the body in a child as the runner; its cause as StatusOf gives it,
// 255 when the user could not be taken on, -1 when the child was killed.
int AsRunner(const Runner& runner, const std::function<std::error_code()>& body);

// Runs at the start of every ReadFileStart, before the file is opened, until
// replaced; an empty hook runs nothing.
void SetBeforeReadHook(std::function<void(const std::string& name)> hook);
// Runs when a write in place has failed, before the old bytes are put back.
void SetBeforeRestoreHook(std::function<void()> hook);
// Runs before a name given for writing is walked.
void SetBeforeWalkHook(std::function<void(const std::string& name)> hook);
// Runs once a name given for writing has been walked, before it is opened.
void SetWalkedHook(std::function<void(const std::string& name)> hook);
// Runs at each of the write's points where a kill leaves the most behind.
void SetWritePointHook(std::function<void(seams::WritePoint)> hook);
// From now on the name of every folder synced is written to the descriptor,
// one a line; -1 stops it.
void RecordFolderSyncsTo(int descriptor);

}  // namespace files::testing
