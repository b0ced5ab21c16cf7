#pragma once
// Picture files of any mode as png, info, check and thumbnail read them: the
// extension (any case) and the size choose the mode's row, as the image
// readers choose. A name whose extension no row knows is read as a .scr, as
// every name was before there were other modes.

#include <string>

#include "modes/picture_modes.h"
#include "scrtool/screen_io.h"

namespace scrtool {

struct PictureFile {
    const modes::PictureMode* mode = nullptr;
    Bytes bytes;
};

// The file's row and bytes, or the one-line cause in `error`. Standard input
// ("-") is a classic screen. A size no row of the extension takes is
// refused before anything is read.
struct PictureRead {
    PictureFile file;
    std::string error;
};
PictureRead ReadPictureFile(const std::string& name);

// A classic screen file's bytes as a screen: a 6913th byte shows nothing.
Screen ClassicScreen(const PictureFile& file);

// The extension rows are chosen by for a name: its own when a row takes it, else "scr".
std::string ModeExtension(const std::string& name);

}  // namespace scrtool
