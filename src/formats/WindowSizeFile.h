// The window's size kept between runs (window.ini in the configuration
// folder): the client area's size and whether the window was maximised, as
// INI lines ("[Window]", "clientSize=@Size(W H)", "maximized=true"), the
// form earlier versions wrote.
#pragma once

#include <cstddef>
#include <string>

#include "formats/FileSystem.h"

namespace vode {

constexpr const char* WindowSizeFileName = "window.ini";
// Three short lines; anything much longer (or a device) is not ours and
// reads as no size at all.
constexpr std::size_t MaxWindowSizeFileBytes = 4096;

// The largest side a kept size may have: beyond any desktop's screen, and a
// window of it still fits in memory (a 32767-pixel square would take
// gigabytes). The window bounds the size by its screen as well.
constexpr int MaxWindowSide = 8192;

struct KeptWindowSize {
  int width = 0;  // 0: no size kept
  int height = 0;
  bool maximized = false;

  bool hasSize() const { return width > 0 && height > 0; }
};

// Reads folder/window.ini; a missing, unreadable or foreign file gives no
// size and not maximised. A side above MaxWindowSide is cut to it.
KeptWindowSize loadWindowSize(const std::string& folder, FileSystem& fs = FileSystem::real());

// Replaces folder/window.ini whole; 0 or the error code.
int saveWindowSize(const std::string& folder, const KeptWindowSize& kept, FileSystem& fs = FileSystem::real());

}  // namespace vode
