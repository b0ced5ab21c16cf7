#include "scrtool/output_writes.h"

#include <unistd.h>

#include "files/file_io.h"
#include "scrtool/interrupts.h"
#include "scrtool/invocation.h"

namespace scrtool {

std::string WriteResult(const std::string& name, std::span<const std::uint8_t> bytes, Durability durability,
                        files::PendingFolderSyncs& folders) {
    std::error_code failed;
    files::Output output;
    if (name == StandardStream) {
        failed = files::WriteAll(STDOUT_FILENO, bytes.data(), bytes.size());
    } else if (!(failed = files::FindOutput(name, output))) {
        files::PendingFolderSyncs* later = durability == Durability::Synced ? &folders : nullptr;
        if (output.IsStream()) {
            failed = files::WriteToOutput(output, bytes.data(), bytes.size(), later);
        } else {
            const InterruptGuard guard;
            failed = files::WriteToOutput(output, bytes.data(), bytes.size(), later);
        }
    }
    return failed ? "cannot write: " + failed.message() : std::string();
}

}  // namespace scrtool
