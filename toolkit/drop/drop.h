#pragma once
// Controls (and whole windows) that accept data dragged onto them: an accepted
// drop becomes a queued drop event that owns a private copy of the data.

#include <cstdint>
#include <memory>
#include <string>

namespace toolkit {

// Drop formats. Files and plain text are the desktop's own; the private format
// carries a four-byte private type that is matched instead of the format.
constexpr std::int32_t NoDropFormat = 0;
constexpr std::int32_t TextDropFormat = 1;
constexpr std::int32_t FilesDropFormat = 15;
constexpr std::int32_t PrivateDropFormat = 512;

// Drop actions, a bit set.
constexpr std::int32_t DropNone = 0;
constexpr std::int32_t DropCopy = 1;
constexpr std::int32_t DropMove = 2;
constexpr std::int32_t DropLink = 4;

// The data of a ControlDropEvent or WindowDropEvent; released with the event.
struct DropRecord {
    std::int32_t format = 0;       // the matched format, or PrivateDropFormat
    std::int32_t privateType = 0;  // 0 for a format drop
    std::int32_t action = 0;       // DropCopy, DropMove or DropLink
    std::int32_t x = 0;            // drop point in the owner's own coordinates
    std::int32_t y = 0;
    std::unique_ptr<std::uint8_t[]> data;  // private copy of the dropped block; none for a private drop
    std::uint32_t size = 0;
};

// Enables the format on the control with the given actions, or updates them;
// actions 0 disables it. The control accepts drops while any format or private
// type stays enabled. An unknown control number or format 0 does nothing.
// With PrivateDropFormat the entry is keyed by the private type instead.
void EnableControlDrop(int control, std::int32_t format, std::int32_t actions, std::int32_t privateType = 0);
// The same for a whole top-level window: drops post WindowDropEvent.
void EnableWindowDrop(int window, std::int32_t format, std::int32_t actions, std::int32_t privateType = 0);

// The full paths of the files dropped with the current drop event, in the
// dragged order, joined by single line feeds with none after the last; empty
// when the current event is no file drop.
std::string GetDroppedFiles();

}  // namespace toolkit
