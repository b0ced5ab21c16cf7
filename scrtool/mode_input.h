#pragma once
// Picture files of any mode as png, info, check and thumbnail read them: the
// extension (any case) and the size choose the mode's row, as the image
// readers choose. A name whose extension no row knows is read as a .scr, as
// every name was before there were other modes.

#include <string>
#include <string_view>

#include "modes/picture_modes.h"
#include "scrtool/screen_io.h"

namespace scrtool {

struct PictureFile {
    const modes::PictureMode* mode = nullptr;
    Bytes bytes;
};

// The file's row and bytes, or why not. Standard input ("-") is a classic
// screen. A size no row of the extension takes is refused before anything
// is read.
base::Result<PictureFile> ReadPictureFile(const std::string& name);

// A screen for a command that works on the classic screen's bytes. A file
// whose name and size give another mode is refused naming that mode, as
// "gigascreen (13824 bytes): invert works on the classic screen (6912
// bytes)"; any other file as ReadScreen refuses it.
base::Result<Screen> ReadClassicScreen(const std::string& name, std::string_view command);

// A classic screen file's bytes as a screen: a 6913th byte shows nothing.
Screen ClassicScreen(const PictureFile& file);

// The extension rows are chosen by for a name: its own when a row takes it, else "scr".
std::string ModeExtension(const std::string& name);

}  // namespace scrtool
