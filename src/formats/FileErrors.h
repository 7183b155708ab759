// Numeric codes of failed file operations and the texts shown for them.
#pragma once

#include <string>

namespace vode {

// The program's own codes.
constexpr int ErrShortRead = 100;
constexpr int ErrShortWrite = 101;
constexpr int ErrCrc = 154;
constexpr int ErrFormat = 201;
constexpr int ErrTooManySegments = 202;
constexpr int ErrNoMemory = 202;  // the same code, for an allocation that failed
// Conditions the platform codes would all call "File access denied", kept
// apart so that the message says what happened.
constexpr int ErrIsFolder = 210;
constexpr int ErrLinkLoop = 211;
constexpr int ErrNameTooLong = 212;
constexpr int ErrTooLarge = 213;  // a file beyond what its reader holds in memory

std::string FileErrorText(int code);

// What the user is told when a file cannot be opened: "Unable to open " +
// path + "... " + the code's text, or for a folder, a link loop, a name too
// long and a recording too large a sentence that names the cause.
std::string openFailureText(const std::string& path, int code);

// The platform code for an errno value. writing selects "Device write fault"
// or "Device read fault" for EIO.
int ioCodeFromErrno(int err, bool writing);

}  // namespace vode
