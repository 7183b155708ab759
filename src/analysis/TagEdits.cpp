#include "analysis/TagEdits.h"

#include "analysis/PhaseTable.h"
#include "model/TagTable.h"

namespace vode {

namespace {

TagEdit checkEditable(const TagTable& tags, int channel, int32_t s) {
  if (!tags.contains(channel, s)) return TagEdit::Outside;
  if (tags.flags(channel, s) & Clipped) return TagEdit::Clipped;
  return TagEdit::Changed;
}

void clearRejected(TagTable& tags, int32_t s) {
  for (int c = 0; c < tags.rows(); ++c) tags.clearFlags(c, s, Rejected);
}

}  // namespace

TagEdit AddSegment(TagTable& tags, const PhaseTable& phases, int channel, int32_t s, bool include, bool background) {
  const TagEdit check = checkEditable(tags, channel, s);
  if (check != TagEdit::Changed) return check;
  uint8_t phase = 0;
  if (include && background) {
    phase = Background;
  } else if (include) {
    const int k = phases.FindPhase(s);
    if (k < 0 || k > phases.lastPhase || k >= MaxPhases) return TagEdit::NoPhase;
    phase = phases.entries[k].phaseVolume > 0.0f ? Inspiration : Expiration;
  }
  tags.setPhase(s, phase);
  clearRejected(tags, s);
  return TagEdit::Changed;
}

TagEdit RejectSegment(TagTable& tags, int channel, int32_t s, bool neighbours) {
  const TagEdit check = checkEditable(tags, channel, s);
  if (check != TagEdit::Changed) return check;
  if (!neighbours) {
    clearRejected(tags, s);
    return TagEdit::Changed;
  }
  for (int c = 0; c < tags.rows(); ++c)
    for (int32_t n = s - 1; n <= s + 1; ++n)
      if (tags.contains(c, n) && !(tags.flags(c, n) & Clipped)) tags.addFlags(c, n, Rejected);
  return TagEdit::Changed;
}

}  // namespace vode
