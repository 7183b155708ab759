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
constexpr int ErrNoMemory = 202;  // the same code, for files too large to hold

std::string FileErrorText(int code);

// The platform code for an errno value. writing selects "Device write fault"
// or "Device read fault" for EIO.
int ioCodeFromErrno(int err, bool writing);

}  // namespace vode
