// The list of recently opened files (MERO.INI in the configuration folder):
// most recent first, one path per line ended by CR LF, at most one entry per
// File-menu slot.
#pragma once

#include <string>
#include <vector>

#include "formats/FileSystem.h"

namespace vode {

constexpr const char* RecentFileName = "MERO.INI";
// A handful of paths; a longer MERO.INI (or one linked to a device) is not
// ours and reads as an empty list.
constexpr std::size_t MaxRecentListBytes = std::size_t{1} << 20;

class RecentFiles {
 public:
  static constexpr int DefaultSlots = 9;  // "&1" … "&9"

  explicit RecentFiles(int slots = DefaultSlots) : slots_(slots < 0 ? 0 : slots) {}

  // Reads folder/MERO.INI (an unreadable file gives an empty list), drops the
  // entries whose file no longer exists and trims to the slot count.
  void load(const std::string& folder, FileSystem& fs = FileSystem::real());

  // Removes the first entry equal to path ignoring letter case, puts path (in
  // its own case) at the top and trims to the slot count.
  void add(const std::string& path);

  // Writes every entry followed by CR LF; 0 or the error code.
  int save(const std::string& folder, FileSystem& fs = FileSystem::real()) const;

  const std::vector<std::string>& entries() const { return entries_; }
  bool empty() const { return entries_.empty(); }
  int slots() const { return slots_; }

  // The menu caption of slot i (from 1): "&%d %s".
  static std::string slotCaption(int i, const std::string& path);

 private:
  void trim();

  int slots_;
  std::vector<std::string> entries_;
};

// The folder part of a path ("" when it has none); the window makes it the
// current directory after a load or an add.
std::string parentDirectory(const std::string& path);

}  // namespace vode
