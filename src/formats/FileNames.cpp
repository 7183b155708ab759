#include "formats/FileNames.h"

#include <algorithm>
#include <cctype>

namespace vode {

namespace {

std::string fileNamePart(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string proposedSaveName(const std::string& path) {
  const std::string name = fileNamePart(path);
  return name.substr(0, name.find('.'));
}

std::string replaceExtension(const std::string& path, const std::string& extension) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  const bool hasDot = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasDot ? path.substr(0, dot) : path) + extension;
}

bool hasExtension(const std::string& path, const std::string& ext) {
  const std::string name = fileNamePart(path);
  const size_t dot = name.find_last_of('.');
  if (dot == std::string::npos) return false;
  std::string found = name.substr(dot);
  if (found.size() != ext.size()) return false;
  return std::equal(found.begin(), found.end(), ext.begin(),
                    [](char a, char b) { return std::toupper(static_cast<unsigned char>(a)) ==
                                                std::toupper(static_cast<unsigned char>(b)); });
}

}  // namespace vode
