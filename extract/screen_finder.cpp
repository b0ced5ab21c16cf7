#include "extract/screen_finder.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

#include "extract/readers.h"

namespace extract {
namespace {

// libspectrum reports errors through one function for the whole process;
// ours keeps the last message of the reading thread instead of printing it.
thread_local std::string lastMessage;

libspectrum_error KeepMessage(libspectrum_error error, const char* format, va_list arguments) {
    char text[256];
    std::vsnprintf(text, sizeof text, format, arguments);
    lastMessage = text;
    return error;
}

void StartLibrary() {
    static std::once_flag started;
    std::call_once(started, [] {
        libspectrum_init();
        libspectrum_error_function = KeepMessage;
    });
}

bool NamedTap(const std::string& fileName) { return fileName.ends_with(".tap") || fileName.ends_with(".TAP"); }

}  // namespace

std::string Failure(libspectrum_error error) {
    if (!lastMessage.empty())
        return lastMessage;
    switch (error) {
    case LIBSPECTRUM_ERROR_MEMORY: return "out of memory";
    case LIBSPECTRUM_ERROR_CORRUPT: return "corrupt file";
    case LIBSPECTRUM_ERROR_SIGNATURE: return "bad signature";
    case LIBSPECTRUM_ERROR_UNKNOWN: return "unknown file format";
    default: return "cannot read the file";
    }
}

Contents FindScreens(std::span<const std::uint8_t> file, const std::string& fileName) {
    StartLibrary();
    lastMessage.clear();
    libspectrum_id_t type;
    // The raw guess: libspectrum's other one unpacks what looks compressed
    // first, and a damaged bzip2 stream of three bytes keeps it busy for good.
    if (libspectrum_identify_file_raw(&type, fileName.c_str(), file.data(), file.size()) != LIBSPECTRUM_ERROR_NONE)
        return {{}, Failure(LIBSPECTRUM_ERROR_UNKNOWN)};
    // libspectrum guesses from the contents too, and knows more kinds than we
    // read (a .tap can look like another program's tape format to it): a
    // file named .tap is read as one, and only the kinds below are read at all.
    if (NamedTap(fileName))
        type = LIBSPECTRUM_ID_TAPE_TAP;
    switch (type) {
    case LIBSPECTRUM_ID_TAPE_TAP:
    case LIBSPECTRUM_ID_TAPE_TZX:
    case LIBSPECTRUM_ID_TAPE_PZX:
    case LIBSPECTRUM_ID_TAPE_CSW: return ReadTape(file, fileName, type);
    case LIBSPECTRUM_ID_SNAPSHOT_SNA:
    case LIBSPECTRUM_ID_SNAPSHOT_Z80:
    case LIBSPECTRUM_ID_SNAPSHOT_SZX: return ReadSnapshot(file, fileName, type);
    case LIBSPECTRUM_ID_SNAPSHOT_SP: return ReadSp(file);
    case LIBSPECTRUM_ID_RECORDING_RZX: return ReadRecording(file);
    case LIBSPECTRUM_ID_COMPRESSED_BZ2:
    case LIBSPECTRUM_ID_COMPRESSED_GZ:
    case LIBSPECTRUM_ID_COMPRESSED_ZIP: return {{}, "a compressed file: unpack it first"};
    default: return {{}, "not a tape, snapshot or input recording"};
    }
}

}  // namespace extract
