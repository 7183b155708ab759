#include "formats/LabelTrack.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "formats/FileErrors.h"
#include "model/TagTable.h"

namespace vode {

namespace {

bool isBlank(char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\v' || ch == '\f'; }

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool sameWord(std::string_view text, std::string_view lowerWord) {
  if (text.size() != lowerWord.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char ch = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
    if (ch != lowerWord[i]) return false;
  }
  return true;
}

// A time in seconds: a decimal number, with "," taken for "." where the
// writer's locale put one.
bool parseSeconds(std::string_view field, double& value) {
  std::string text(trimmed(field));
  if (text.find('.') == std::string::npos) std::replace(text.begin(), text.end(), ',', '.');
  if (text.empty()) return false;
  const char* end = text.data() + text.size();
  const auto [p, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && p == end && std::isfinite(value);
}

// Splits a line into start, end and label fields.
bool splitFields(std::string_view line, std::string_view& start, std::string_view& end, std::string_view& label) {
  if (line.find('\t') != std::string_view::npos) {
    const std::size_t a = line.find('\t');
    const std::size_t b = line.find('\t', a + 1);
    start = line.substr(0, a);
    end = b == std::string_view::npos ? line.substr(a + 1) : line.substr(a + 1, b - a - 1);
    label = b == std::string_view::npos ? std::string_view() : line.substr(b + 1);
    return true;
  }
  std::string_view rest = trimmed(line);
  std::string_view* fields[] = {&start, &end};
  for (std::string_view* field : fields) {
    const std::size_t gap = rest.find_first_of(" \t");
    *field = rest.substr(0, gap);
    rest = gap == std::string_view::npos ? std::string_view() : trimmed(rest.substr(gap));
    if (field->empty()) return false;
  }
  label = rest;
  return true;
}

// Segment index of a time, limited so that any finite time converts.
int32_t segmentsBefore(double seconds) {
  const double s = std::ceil(seconds * 10.0 - 0.5);
  return static_cast<int32_t>(std::clamp(s, -1.0, static_cast<double>(TagTable::MaxSegments) + 1.0));
}

char markLetter(const TagTable& tags, int32_t s) {
  for (int c = 0; c < tags.rows(); ++c)
    if (tags.flags(c, s) & Rejected) return 'X';
  switch (tags.phase(s)) {
    case Inspiration: return 'I';
    case Expiration: return 'E';
    case Background: return 'B';
    default: return 0;
  }
}

// Tenths of a second as "%.1f" writes them.
void appendTenths(std::string& out, int32_t tenths) {
  out += std::to_string(tenths / 10);
  out += '.';
  out += static_cast<char>('0' + tenths % 10);
}

}  // namespace

LabelMark labelMarkOf(std::string_view text) {
  text = trimmed(text);
  if (sameWord(text, "i") || sameWord(text, "inspiration")) return LabelMark::Inspiration;
  if (sameWord(text, "e") || sameWord(text, "expiration")) return LabelMark::Expiration;
  if (sameWord(text, "b") || sameWord(text, "background")) return LabelMark::Background;
  if (sameWord(text, "x") || sameWord(text, "exclude")) return LabelMark::Exclude;
  return LabelMark::Unknown;
}

SegmentRange labelSegments(const TrackLabel& label) {
  // Midpoint (s + 0.5) / 10 in [start, end): s from ceil(10 start - 0.5) to
  // ceil(10 end - 0.5) - 1.
  return {std::max(segmentsBefore(label.start), 0), segmentsBefore(label.end) - 1};
}

bool parseLabelTrack(std::string_view text, std::vector<TrackLabel>& labels, std::string& error) {
  labels.clear();
  error.clear();
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  int lineNumber = 0;
  while (!text.empty()) {
    const std::size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (trimmed(line).empty() || line.front() == '\\') continue;

    const std::string where = "line " + std::to_string(lineNumber) + ": ";
    std::string_view start, end, label;
    TrackLabel parsed;
    if (!splitFields(line, start, end, label) || !parseSeconds(start, parsed.start) ||
        !parseSeconds(end, parsed.end))
      error = where + "expected start and end times in seconds, then a label";
    else if (parsed.start < 0.0 || parsed.end < parsed.start)
      error = where + "a label runs forward from a time of 0 s or later";
    if (!error.empty()) {
      labels.clear();
      return false;
    }
    parsed.text = std::string(trimmed(label));
    parsed.line = lineNumber;
    labels.push_back(std::move(parsed));
  }
  return true;
}

int readLabelTrack(const std::string& path, std::vector<TrackLabel>& labels, std::string& error, FileSystem& fs) {
  labels.clear();
  std::vector<uint8_t> bytes;
  const int code = readBoundedFile(fs, path, MaxLabelFileBytes, bytes);
  if (code != 0) {
    error = FileErrorText(code);
    return code;
  }
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (!parseLabelTrack(text, labels, error)) return ErrFormat;
  return 0;
}

std::string labelTrackText(const TagTable& tags) {
  std::string out;
  int32_t s = 0;
  while (s < tags.segments()) {
    const char mark = markLetter(tags, s);
    int32_t end = s + 1;
    while (end < tags.segments() && markLetter(tags, end) == mark) ++end;
    if (mark != 0) {
      appendTenths(out, s);
      out += '\t';
      appendTenths(out, end);
      out += '\t';
      out += mark;
      out += '\n';
    }
    s = end;
  }
  return out;
}

int writeLabelTrack(const std::string& path, const TagTable& tags, FileSystem& fs) {
  const std::string text = labelTrackText(tags);
  return writeFileAtomically(fs, path, [&](OutputFile& file) { return file.write(text.data(), text.size()); });
}

}  // namespace vode
