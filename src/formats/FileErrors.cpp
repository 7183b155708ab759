#include "formats/FileErrors.h"

#include <cerrno>

namespace vode {

std::string FileErrorText(int code) {
  switch (code) {
    case 2: return "File not found";
    case 3: return "Path not found";
    case 4: return "Too many files open";
    case 5: return "File access denied";
    case 6: return "Invalid file handle";
    case 12: return "Invalid file access code";
    case 15: return "Invalid drive number";
    case 16: return "Cannot remove current directory";
    case 17: return "Cannot rename across drives";
    case 100: return "Read past end of file";
    case 101: return "Insufficient disk space";
    case 102: return "File not assigned";
    case 103: return "File not open";
    case 104: return "File not open for input";
    case 105: return "File not open for output";
    case 106: return "Invalid numeric format";
    case 150: return "Disk is write protected";
    case 151: return "Unknown unit";
    case 152: return "Drive not ready";
    case 153: return "Unknown command";
    case 154: return "CRC error in data";
    case 155: return "Bad drive request structure length";
    case 156: return "Disk seek error";
    case 157: return "Unknown media format";
    case 158: return "Sector not found";
    case 159: return "Printer out of paper";
    case 160: return "Device write fault";
    case 161: return "Device read fault";
    case 162: return "Hardware failure";
    case 201: return "Invalid file format";
    case 202: return "Not enough memory";
    case 203: return "Data compression error";
    case 204: return "Data decompression error";
    case ErrIsFolder: return "Is a folder";
    case ErrLinkLoop: return "Too many levels of symbolic links";
    case ErrNameTooLong: return "File name too long";
    case ErrTooLarge: return "File too large";
    default: return "Unknown";
  }
}

std::string openFailureText(const std::string& path, int code) {
  switch (code) {
    case ErrIsFolder: return path + " is a folder";
    case ErrLinkLoop: return path + ": too many levels of symbolic links";
    case ErrNameTooLong: return path + ": file name too long";
    // Every file opened as a recording is held to this limit.
    case ErrTooLarge: return path + " is too large (over 512 MiB)";
    default: return "Unable to open " + path + "... " + FileErrorText(code);
  }
}

int ioCodeFromErrno(int err, bool writing) {
  switch (err) {
    case ENOENT: return 2;
    case ENOTDIR: return 3;
    case EMFILE:
    case ENFILE: return 4;
    case EISDIR: return ErrIsFolder;
    case ELOOP: return ErrLinkLoop;
    case ENAMETOOLONG: return ErrNameTooLong;
    case ENOMEM: return ErrNoMemory;
    case EACCES:
    case EPERM:
    case EEXIST: return 5;
    case EBADF: return 6;
    case EINVAL: return 12;
    case EROFS: return 150;
    case EIO: return writing ? 160 : 161;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return 101;
    default: return 5;
  }
}

}  // namespace vode
