// Whether the window plays a recording as soon as it is opened, kept between
// runs in playback.ini in the configuration folder (not in MERO.SET, which
// holds the recording preferences): "[Playback]" then "afterOpening=false".
#pragma once

#include <string>

#include "formats/FileSystem.h"

namespace vode {

constexpr const char* PlaybackOptionFileName = "playback.ini";

// true unless folder/playback.ini says "afterOpening=false"; a missing,
// unreadable or foreign file keeps the habit of playing.
bool loadPlayAfterOpening(const std::string& folder, FileSystem& fs = FileSystem::real());

// Replaces folder/playback.ini whole; 0 or the error code.
int savePlayAfterOpening(const std::string& folder, bool play, FileSystem& fs = FileSystem::real());

}  // namespace vode
