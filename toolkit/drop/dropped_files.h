#pragma once
// How the file names of a drag become the dropped file list, without Qt in
// the interface, so the decoding can be checked with any bytes at all.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace toolkit {

// The names held in a dropped files block (each ended by a zero byte, one
// more zero byte after the last), joined by single line feeds.
std::string FileListOfBlock(const std::uint8_t* block, std::size_t size);

// The dropped file list a drop would give for a drag whose URL list
// (text/uri-list) holds these bytes; empty when the drag offers no file.
std::string DroppedFilesOfUriList(std::string_view uriList);

}  // namespace toolkit
