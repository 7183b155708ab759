// File-name arithmetic shared by the window's save dialogs and reports: the
// name Save As proposes, a changed extension, an extension test.
#pragma once

#include <string>

namespace vode {

// The file-name part of path up to its first ".": the name Save As proposes.
std::string proposedSaveName(const std::string& path);

// path with the extension of its file-name part replaced (or added).
std::string replaceExtension(const std::string& path, const std::string& extension);

// true when path's extension is ext, ignoring letter case (ext with the dot).
bool hasExtension(const std::string& path, const std::string& ext);

}  // namespace vode
