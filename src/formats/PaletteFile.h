// Reading a pal.dat, the colours of the sonogram and the dB bar.
#pragma once

#include <string>

#include "formats/FileSystem.h"
#include "model/Palette.h"

namespace vode {

// The palette in the file at path (see Palette::fromFileBytes). A missing,
// unreadable, shorter or longer file gives the grey palette and leaves found
// false. No more than the 256 bytes and one over are ever read, so a device
// or an endless pipe under that name costs nothing.
Palette loadPalette(const std::string& path, bool* found = nullptr, FileSystem& fs = FileSystem::real());

}  // namespace vode
