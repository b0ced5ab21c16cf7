// scrtool optimize --in-place stopped by SIGKILL or SIGINT at the moments of
// a write where a stop leaves the most behind, on each way a file is written:
// replaced by a new file, written in place because it has a second hard link,
// or because its folder takes no new file. The program raises the signal
// itself at a seam of the tests, always during the third of five files, so
// that every run is the same and every window is reached.
//
// Files before the third are new, those after it old. The third is wholly
// old or wholly new, with the documented exception of SIGKILL during a write
// in place: new bytes over old ones, the old kept whole in a hidden
// ".NAME.kept-XXXXXX" beside it where the folder takes one. SIGKILL may leave
// a hidden ".NAME.saving-XXXXXX" behind; SIGINT waits for the file being
// written, ends the program by itself, and leaves nothing.

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "files/file_io.h"
#include "files/file_seams.h"
#include "scrtool/command_line.h"
#include "scrtool/commands.h"
#include "scrtool/scrtool_test_support.h"
#include "screen/screen_store.h"
#include "screen/whole_screen_ops.h"

namespace scrtool::testing {
namespace {

using files::seams::WritePoint;

constexpr std::size_t Files = 5;
constexpr std::size_t Stopped = 2;  // the file during whose read or write the signal comes

enum class WrittenBy { NewFile, InPlaceHardLinked, InPlaceReadOnlyFolder };

struct KillCase {
    int signal;
    WrittenBy path;
};

// Where the signal comes: before the file is read (between two files), or at
// a point of its write.
struct StopAt {
    const char* label;
    std::optional<WritePoint> point;
};

std::vector<StopAt> StopsFor(WrittenBy path) {
    const StopAt beforeRead{"before its read", std::nullopt};
    switch (path) {
    case WrittenBy::NewFile: return {beforeRead, {"with the new file written", WritePoint::NewFileWritten}};
    case WrittenBy::InPlaceHardLinked:
        return {beforeRead,
                {"with the kept copy begun", WritePoint::KeptCopyStarted},
                {"with the kept copy written, not named", WritePoint::KeptCopyWritten},
                {"with the new bytes written over the old", WritePoint::InPlaceWritten}};
    case WrittenBy::InPlaceReadOnlyFolder:
        return {beforeRead, {"with the new bytes written over the old", WritePoint::InPlaceWritten}};
    }
    return {};
}

struct Versions {
    Bytes old;
    Bytes fresh;
};

Bytes Optimized(const ScreenBytes& bytes) {
    ScreenBytes optimized = bytes;
    screen::OptimizeAttributes(optimized);
    return Bytes(optimized.begin(), optimized.end());
}

std::string CaseName(const ::testing::TestParamInfo<KillCase>& info) {
    constexpr const char* Paths[] = {"NewFile", "HardLinked", "ReadOnlyFolder"};
    return std::string(info.param.signal == SIGKILL ? "Kill" : "Interrupt") + Paths[static_cast<int>(info.param.path)];
}

// Runs the command in a child that raises the signal at the stop, during the
// file Stopped; the child's wait status.
int RunStoppedAt(const std::vector<std::string>& arguments, const StopAt& stop, int signal, bool asNobody) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (asNobody && !files::testing::DropRootPrivileges())
            ::_exit(126);
        std::size_t reads = 0, reached = 0;
        files::testing::SetBeforeReadHook([&](const std::string&) {
            if (!stop.point && reads++ == Stopped)
                ::raise(signal);
        });
        files::testing::SetWritePointHook([&](WritePoint point) {
            if (point == stop.point && reached++ == Stopped)
                ::raise(signal);
        });
        const Parsed parsed = ParseArguments(arguments);
        ::_exit(parsed.invocation ? scrtool::Run(*parsed.invocation) : 3);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

class KilledInPlace : public ::testing::TestWithParam<KillCase> {};

TEST_P(KilledInPlace, LeavesEveryFileWhollyOldOrWhollyNewOrAsDocumented) {
    const auto [signal, path] = GetParam();
    const bool readOnly = path == WrittenBy::InPlaceReadOnlyFolder;
    // A folder that takes no new file binds root only as another user.
    const bool asNobody = readOnly && ::geteuid() == 0;
    TempFolder folder, links;
    std::vector<std::string> names, arguments{"optimize", "--in-place"};
    std::vector<Versions> versions;
    for (const RealScreen& real : RealScreens())
        if (versions.size() < Files && Optimized(real.bytes) != ToBytes(real.bytes))
            versions.push_back({ToBytes(real.bytes), Optimized(real.bytes)});
    ASSERT_EQ(versions.size(), Files) << "too few screens that optimize changes";
    for (std::size_t i = 0; i < Files; ++i) {
        names.push_back("copy" + std::to_string(i) + ".scr");
        arguments.push_back(folder / names.back());
    }
    for (const StopAt& stop : StopsFor(path)) {
        SCOPED_TRACE(stop.label);
        ::chmod(folder.path().c_str(), 0700);
        for (const TempFolder* each : {&folder, &links})
            for (const auto& entry : std::filesystem::directory_iterator(each->path()))
                std::filesystem::remove(entry.path());
        for (std::size_t i = 0; i < Files; ++i) {
            WriteBytes(folder / names[i], versions[i].old);
            if (path == WrittenBy::InPlaceHardLinked)
                ::link((folder / names[i]).c_str(), (links / names[i]).c_str());
            if (asNobody)
                ::chown((folder / names[i]).c_str(), files::testing::NobodyId, files::testing::NobodyId);
        }
        if (asNobody)
            ::chown(folder.path().c_str(), files::testing::NobodyId, files::testing::NobodyId);
        if (readOnly)
            ::chmod(folder.path().c_str(), 0555);
        ASSERT_TRUE(!readOnly || asNobody || ::access(folder.path().c_str(), W_OK) != 0)
            << "this user may write into a read-only folder";

        const int status = RunStoppedAt(arguments, stop, signal, asNobody);
        ::chmod(folder.path().c_str(), 0700);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        // SIGINT waits for the file being written, not for a file not begun.
        const bool thirdIsNew = stop.point && (signal == SIGINT || *stop.point == WritePoint::InPlaceWritten);
        for (std::size_t i = 0; i < Files; ++i) {
            const bool fresh = i < Stopped || (i == Stopped && thirdIsNew);
            EXPECT_EQ(ReadBytes(folder / names[i]), fresh ? versions[i].fresh : versions[i].old) << names[i];
        }
        for (std::size_t i = 0; i < Files && path == WrittenBy::InPlaceHardLinked; ++i) {
            EXPECT_EQ(ReadBytes(links / names[i]), ReadBytes(folder / names[i])) << "the second name";
        }
        // What else a SIGKILL leaves, during the third file's write: a hidden
        // file under a saving name, or the old bytes whole under a kept name.
        const bool leaves = signal == SIGKILL && stop.point && !(readOnly && *stop.point == WritePoint::InPlaceWritten);
        std::vector<std::string> left;
        for (const std::string& name : folder.names())
            if (std::find(names.begin(), names.end(), name) == names.end())
                left.push_back(name);
        ASSERT_EQ(left.size(), leaves ? 1u : 0u) << (left.empty() ? "" : left[0]);
        if (!leaves)
            continue;
        const std::string stem = "." + names[Stopped];
        const bool saving = left[0].starts_with(stem + files::SavingMark);
        const bool kept = left[0].starts_with(stem + files::KeptMark);
        EXPECT_TRUE(saving || kept) << left[0];
        if (kept) {
            EXPECT_EQ(ReadBytes(folder / left[0]), versions[Stopped].old) << "the kept copy " << left[0];
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Signals, KilledInPlace,
                         ::testing::Values(KillCase{SIGKILL, WrittenBy::NewFile}, KillCase{SIGINT, WrittenBy::NewFile},
                                           KillCase{SIGKILL, WrittenBy::InPlaceHardLinked},
                                           KillCase{SIGINT, WrittenBy::InPlaceHardLinked},
                                           KillCase{SIGKILL, WrittenBy::InPlaceReadOnlyFolder},
                                           KillCase{SIGINT, WrittenBy::InPlaceReadOnlyFolder}),
                         CaseName);

}  // namespace
}  // namespace scrtool::testing
