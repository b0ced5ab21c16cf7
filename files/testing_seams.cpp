// The file services' seams as the tests have them. Every test program that
// links files_test_support compiles this file itself, so that these
// definitions take the place of the programs' empty ones.
#include <string_view>
#include <unistd.h>

#include "files/file_seams.h"
#include "files/files_test_support.h"

namespace files {
namespace {

std::function<void(const std::string&)> beforeRead;
std::function<void()> beforeRestore;
std::function<void(const std::string&)> beforeWalk;
std::function<void(const std::string&)> walked;
std::function<void(seams::WritePoint)> reached;
int syncRecord = -1;

}  // namespace

void seams::BeforeRead(const std::string& name) {
    if (beforeRead)
        beforeRead(name);
}

void seams::BeforeWalk(const std::string& name) {
    if (beforeWalk)
        beforeWalk(name);
}

void seams::Walked(const std::string& name) {
    if (walked)
        walked(name);
}

void seams::Reached(WritePoint point) {
    if (reached)
        reached(point);
}

void seams::FolderSynced(const char* folder) {
    if (syncRecord < 0)
        return;
    // Only write(2) here: this may run in a signal handler.
    const std::string_view name(folder);
    [[maybe_unused]] const ssize_t a = ::write(syncRecord, name.data(), name.size());
    [[maybe_unused]] const ssize_t b = ::write(syncRecord, "\n", 1);
}

void seams::BeforeRestore() {
    if (beforeRestore)
        beforeRestore();
}

void testing::SetBeforeRestoreHook(std::function<void()> hook) { beforeRestore = std::move(hook); }

void testing::SetBeforeReadHook(std::function<void(const std::string& name)> hook) { beforeRead = std::move(hook); }

void testing::SetBeforeWalkHook(std::function<void(const std::string& name)> hook) { beforeWalk = std::move(hook); }

void testing::SetWalkedHook(std::function<void(const std::string& name)> hook) { walked = std::move(hook); }

void testing::SetWritePointHook(std::function<void(seams::WritePoint)> hook) { reached = std::move(hook); }

void testing::RecordFolderSyncsTo(int descriptor) { syncRecord = descriptor; }

}  // namespace files
