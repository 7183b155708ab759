// Hand corrections of the tags, one segment at a time: include a segment in
// the phase of its breath, clear it, make it background, or exclude it with
// its neighbours. A segment clipped on the channel being edited is protected
// there. The caller recalculates the tags (CalculateTags, keeping the phase
// bytes) after every edit that reports Changed.
#pragma once

#include <cstdint>

namespace vode {

class PhaseTable;
class TagTable;

enum class TagEdit {
  Changed,
  Outside,  // (channel, segment) lies outside the table: nothing happens
  Clipped,  // "Clipped segments cannot be modified"
  NoPhase,  // "Segment not within a valid phase"
};

inline constexpr const char* ClippedSegmentMessage = "Clipped segments cannot be modified";
inline constexpr const char* NoValidPhaseMessage = "Segment not within a valid phase";

// AddCurrentSegment: the new phase of segment s is 0 when not including, 4
// for background, else 1 or 2 by the direction of the phase entry holding s.
// The Rejected flag of s goes on every channel.
TagEdit AddSegment(TagTable& tags, const PhaseTable& phases, int channel, int32_t s, bool include, bool background);

// RejectCurrentSegment: with neighbours, s - 1, s and s + 1 become Rejected on
// every channel where they exist and are not clipped; without, the Rejected
// flag of s goes on every channel.
TagEdit RejectSegment(TagTable& tags, int channel, int32_t s, bool neighbours);

}  // namespace vode
