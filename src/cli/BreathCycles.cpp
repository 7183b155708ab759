#include "cli/BreathCycles.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "cli/CliSupport.h"
#include "formats/FileErrors.h"
#include "formats/FileSystem.h"
#include "model/TagTable.h"

namespace vode::cli {

namespace {

// A collection's annotation file has a few dozen lines; anything far larger
// is not one, and reading it whole would only cost memory.
constexpr std::size_t MaxAnnotationBytes = std::size_t{16} << 20;

// Half a segment, the least overlap that puts a segment inside a cycle. The
// tolerance keeps times such as 0.25 s, which sit exactly on a half, from
// falling out through the rounding of decimal fractions.
constexpr double HalfSegment = 0.05;
constexpr double Tolerance = 1e-9;

std::vector<std::string> fieldsOf(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t p = 0;
  while (p < line.size()) {
    const std::size_t start = line.find_first_not_of(" \t", p);
    if (start == std::string::npos) break;
    const std::size_t end = line.find_first_of(" \t", start);
    fields.push_back(line.substr(start, end == std::string::npos ? std::string::npos : end - start));
    p = end == std::string::npos ? line.size() : end;
  }
  return fields;
}

// The text as a number of seconds: a finite decimal of 0 or more.
bool secondsOf(const std::string& text, double& seconds) {
  return parseFloat(text, seconds) && seconds >= 0.0;
}

bool flagOf(const std::string& text, std::optional<bool>& flag) {
  if (text != "0" && text != "1") return false;
  flag = text == "1";
  return true;
}

std::string ratio(double value) {
  if (std::isnan(value)) return "nan";
  char text[32];
  std::snprintf(text, sizeof text, "%.4f", value);
  return text;
}

}  // namespace

bool parseCycles(const std::string& text, const std::string& path, std::vector<BreathCycle>& cycles,
                 std::string& error) {
  cycles.clear();
  int number = 0;
  std::size_t p = 0;
  while (p < text.size()) {
    std::size_t end = text.find('\n', p);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(p, end - p);
    p = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::vector<std::string> fields = fieldsOf(line);
    if (fields.empty()) continue;

    const std::string where = path + ":" + std::to_string(number) + ": ";
    if (fields.size() != 2 && fields.size() != 4) {
      error = where + "expected start and end in seconds, optionally followed by crackles and wheezes (0 or 1); "
                      "found " + std::to_string(fields.size()) + " columns";
      return false;
    }
    BreathCycle cycle;
    cycle.line = number;
    if (!secondsOf(fields[0], cycle.start)) {
      error = where + "the start '" + fields[0] + "' is not a time in seconds";
      return false;
    }
    if (!secondsOf(fields[1], cycle.end)) {
      error = where + "the end '" + fields[1] + "' is not a time in seconds";
      return false;
    }
    if (!(cycle.end > cycle.start)) {
      error = where + "the cycle ends (" + fields[1] + " s) before it starts (" + fields[0] + " s)";
      return false;
    }
    if (fields.size() == 4) {
      if (!flagOf(fields[2], cycle.crackles)) {
        error = where + "crackles must be 0 or 1, not '" + fields[2] + "'";
        return false;
      }
      if (!flagOf(fields[3], cycle.wheezes)) {
        error = where + "wheezes must be 0 or 1, not '" + fields[3] + "'";
        return false;
      }
    }
    cycles.push_back(cycle);
  }
  if (cycles.empty()) {
    error = path + ": no breath cycles (one per line: start and end in seconds)";
    return false;
  }
  return true;
}

bool readCycles(const std::string& path, std::vector<BreathCycle>& cycles, std::string& error) {
  std::vector<uint8_t> bytes;
  const int code = readBoundedFile(FileSystem::real(), path, MaxAnnotationBytes, bytes);
  if (code != 0) {
    error = "Unable to open " + path + "... " + FileErrorText(code);
    return false;
  }
  return parseCycles(std::string(bytes.begin(), bytes.end()), path, cycles, error);
}

SegmentRange segmentsInside(const BreathCycle& cycle, int segmentCount) {
  // Only the two end segments can overlap partly; every one between lies wholly inside.
  const double lowest = std::max(0.0, std::floor(cycle.start * 10.0));
  const double highest = std::min(static_cast<double>(segmentCount) - 1.0, std::ceil(cycle.end * 10.0) - 1.0);
  SegmentRange range;
  if (lowest > highest) return range;
  auto overlaps = [&](int s) {
    const double from = std::max(cycle.start, s / 10.0), to = std::min(cycle.end, (s + 1) / 10.0);
    return to - from >= HalfSegment - Tolerance;
  };
  range.first = static_cast<int>(lowest);
  range.last = static_cast<int>(highest);
  if (!overlaps(range.first)) ++range.first;
  if (range.last >= range.first && !overlaps(range.last)) --range.last;
  return range;
}

bool cyclesFit(const std::string& input, const std::string& annotation, const std::vector<BreathCycle>& cycles,
               int segmentCount, std::ostream& err) {
  const double seconds = segmentCount / 10.0;
  for (const BreathCycle& cycle : cycles)
    if (cycle.start >= seconds) {
      err << "vode-cli: " << annotation << ":" << cycle.line << ": the cycle starts at " << Json::number(cycle.start)
          << " s, after the end of " << input << " (" << Json::number(seconds) << " s)\n";
      return false;
    }
  return true;
}

int flaggedSegmentsInside(const TagTable& tags, int firstChannel, int lastChannel, SegmentRange range, uint8_t flag) {
  int n = 0;
  for (int s = range.first; s <= range.last; ++s) {
    bool flagged = false;
    for (int c = firstChannel; c <= lastChannel; ++c) flagged = flagged || (tags.flags(c, s) & flag);
    n += flagged;
  }
  return n;
}

bool readCyclesOption(const ParsedArgs& args, std::size_t inputs, std::vector<std::string>& annotations,
                      std::string& error) {
  annotations.clear();
  if (!args.has("--cycles")) return true;
  annotations = args.options.at("--cycles");
  if (annotations.size() == inputs) return true;
  error = "give one --cycles ANNOT.txt for each FILE (" + std::to_string(inputs) + " files, " +
          std::to_string(annotations.size()) + " annotation files)";
  return false;
}

void scoreFlaggedCycles(const std::vector<BreathCycle>& cycles, std::optional<bool> BreathCycle::*column,
                        const TagTable& tags, int segmentCount, int firstChannel, int lastChannel, uint8_t flag,
                        const std::string& prefix, std::ostream& out, CycleScore& score) {
  for (const BreathCycle& cycle : cycles) {
    const int inside =
        flaggedSegmentsInside(tags, firstChannel, lastChannel, segmentsInside(cycle, segmentCount), flag);
    out << prefix << Json::number(cycle.start) << "," << Json::number(cycle.end) << "," << inside << ","
        << (inside > 0) << ",";
    if (const std::optional<bool>& annotated = cycle.*column) {
      out << *annotated;
      score.add(inside > 0, *annotated);
    }
    out << "\n";
  }
}

void printTotalScore(const std::vector<CycleScore>& scores, std::ostream& out) {
  // Failed files add nothing; the totals cover every file that was scored.
  CycleScore total;
  for (const CycleScore& s : scores) total.add(s);
  if (total.annotated() > 0) out << scoreLine(total) << "\n";
}

std::vector<CycleSpan> spansOf(const std::vector<BreathCycle>& cycles) {
  std::vector<CycleSpan> spans;
  for (const BreathCycle& c : cycles) spans.push_back({c.start, c.end});
  return spans;
}

void CycleScore::add(bool detected, bool annotated) {
  if (annotated)
    ++(detected ? truePositives : falseNegatives);
  else
    ++(detected ? falsePositives : trueNegatives);
}

void CycleScore::add(const CycleScore& other) {
  truePositives += other.truePositives;
  falseNegatives += other.falseNegatives;
  trueNegatives += other.trueNegatives;
  falsePositives += other.falsePositives;
}

double CycleScore::sensitivity() const {
  const int positives = truePositives + falseNegatives;
  return positives ? static_cast<double>(truePositives) / positives : std::numeric_limits<double>::quiet_NaN();
}

double CycleScore::specificity() const {
  const int negatives = trueNegatives + falsePositives;
  return negatives ? static_cast<double>(trueNegatives) / negatives : std::numeric_limits<double>::quiet_NaN();
}

std::string scoreLine(const CycleScore& score) {
  const double sensitivity = score.sensitivity(), specificity = score.specificity();
  return "# sensitivity " + ratio(sensitivity) + " (" + std::to_string(score.truePositives) + "/" +
         std::to_string(score.truePositives + score.falseNegatives) + "), specificity " + ratio(specificity) +
         " (" + std::to_string(score.trueNegatives) + "/" +
         std::to_string(score.trueNegatives + score.falsePositives) + "), mean " +
         ratio((sensitivity + specificity) / 2.0);
}

}  // namespace vode::cli
