// Label tracks: the plain text that audio editors and annotation tools such
// as Audacity and Sonic Visualiser read and write, one label a line:
// "start<TAB>end<TAB>label", times in seconds. Breath phases travel in and out
// of recordings this way: labels I, E, B and X (or the words inspiration,
// expiration, background, exclude, in any case).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formats/FileSystem.h"

namespace vode {

class TagTable;

struct TrackLabel {
  double start = 0.0;  // s
  double end = 0.0;    // s, not before start
  std::string text;    // as written, without surrounding blanks
  int line = 0;        // 1-based line of the file
};

enum class LabelMark { Inspiration, Expiration, Background, Exclude, Unknown };

// I/E/B/X or the words, compared without regard to case.
LabelMark labelMarkOf(std::string_view text);

// The segments whose midpoint (segment s spans s/10 to (s+1)/10 s) lies in
// [start, end): first..last, last < first when none does.
struct SegmentRange {
  int32_t first = 0;
  int32_t last = -1;
};
SegmentRange labelSegments(const TrackLabel& label);

// A label file of more bytes is no label track.
constexpr std::size_t MaxLabelFileBytes = std::size_t{16} << 20;

// Parses a label track. Fields are separated by tabs (or, on a line without
// a tab, by blanks); the label is the rest of the line and may be empty.
// Blank lines and the frequency lines Audacity writes after a label (starting
// with "\") are skipped; a UTF-8 byte-order mark and CR LF line ends are
// taken. Times are decimal numbers with "." (or a "," in place of it), not
// negative, end not before start. Anything else refuses the whole track:
// false with "line N: ..." in error.
bool parseLabelTrack(std::string_view text, std::vector<TrackLabel>& labels, std::string& error);

// Reads and parses path (at most MaxLabelFileBytes, through fs). 0, the
// file's error code, or 201 with the reason in error.
int readLabelTrack(const std::string& path, std::vector<TrackLabel>& labels, std::string& error,
                   FileSystem& fs = FileSystem::real());

// One line "%.1f\t%.1f\tL" per run of segments with the same mark: X for a
// segment Rejected on any channel, else I, E or B for its phase byte; runs of
// untagged segments are not written.
std::string labelTrackText(const TagTable& tags);

// labelTrackText written to path through writeFileAtomically. 0 or the code.
int writeLabelTrack(const std::string& path, const TagTable& tags, FileSystem& fs = FileSystem::real());

}  // namespace vode
