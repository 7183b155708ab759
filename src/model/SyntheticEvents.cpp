#include "model/SyntheticEvents.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <optional>

#include "model/Numeric.h"
#include "model/Recording.h"

namespace vode {

namespace {

constexpr double Pi = std::numbers::pi;

// The wheeze-carrying share of breaths and of inspirations with crackles.
constexpr double WheezeChance = 0.4;
constexpr double CrackleChance = 0.5;

double recordingSeconds(const Recording& rec) { return rec.segmentCount / 10.0; }

// Adds value (counts) to one sample, kept inside 16 bits.
void addSample(Recording& rec, int c, int64_t i, double value) {
  std::vector<int16_t>& samples = rec.sound[c];
  if (i < 0 || i >= static_cast<int64_t>(samples.size())) return;
  samples[i] = clamp16(samples[i] + roundEven64(value));
}

// Raised-cosine attack and release of `ramp` seconds.
double envelope(double t, double length, double ramp) {
  ramp = std::min(ramp, length / 2.0);
  if (t < ramp) return 0.5 * (1.0 - std::cos(Pi * t / ramp));
  if (t > length - ramp) return 0.5 * (1.0 - std::cos(Pi * (length - t) / ramp));
  return 1.0;
}

int64_t firstSampleAt(double t) { return static_cast<int64_t>(std::ceil(t * SoundRate)); }

// ---- Wheezes -------------------------------------------------------------------

std::optional<SynthEvent> placeWheeze(const SynthBreath& b, bool inspiration, double total, SynthRandom& random) {
  const double phaseStart = inspiration ? b.start : b.start + b.inspTime;
  const double length = inspiration ? b.inspTime : b.expTime;
  const double longest = std::min(1.5, 0.85 * length);
  if (longest < 0.25) return std::nullopt;
  SynthEvent e;
  e.kind = SynthEvent::Kind::Wheeze;
  e.inspiration = inspiration;
  const double duration = random.uniform(0.25, longest);
  e.start = phaseStart + (length - duration) * random.uniform(0.1, 0.9);
  e.end = e.start + duration;
  // A slight glide, up or down, staying inside 100-1000 Hz.
  e.startHz = random.uniform(110.0, 900.0);
  const double glide = random.uniform(0.02, 0.08) * (random.uniform() < 0.5 ? -1.0 : 1.0);
  e.endHz = std::clamp(e.startHz * (1.0 + glide), 100.0, 1000.0);
  if (e.end > total) return std::nullopt;
  return e;
}

// The rms of channel c over [start, end] seconds, in counts.
double localRms(const Recording& rec, int c, double start, double end) {
  const std::vector<int16_t>& samples = rec.sound[c];
  double energy = 0.0;
  int64_t n = 0;
  for (int64_t i = firstSampleAt(start); i < static_cast<int64_t>(samples.size()) && i <= end * SoundRate; ++i, ++n)
    energy += static_cast<double>(samples[i]) * samples[i];
  return n > 0 ? std::sqrt(energy / static_cast<double>(n)) : 0.0;
}

void synthesiseWheeze(Recording& rec, const SynthEvent& e, SynthRandom& random) {
  const double duration = e.end - e.start;
  for (int c = 0; c < rec.channelCount; ++c) {
    // As loud as the breath sound under it, give or take: a tone that
    // stands well out of the spectrum at every site.
    const double amplitude = std::max(localRms(rec, c, e.start, e.end), 100.0) * random.uniform(1.2, 2.0);
    double phase = random.uniform(0.0, 2.0 * Pi);
    for (int64_t i = firstSampleAt(e.start);; ++i) {
      const double t = static_cast<double>(i) / SoundRate - e.start;
      if (t > duration) break;
      const double hz = e.startHz + (e.endHz - e.startHz) * t / duration;
      phase += 2.0 * Pi * hz / SoundRate;
      // A musical tone: the fundamental and a weaker second harmonic.
      const double tone = std::sin(phase) + 0.25 * std::sin(2.0 * phase);
      addSample(rec, c, i, amplitude * envelope(t, duration, 0.04) * tone);
    }
  }
}

// ---- Crackles ------------------------------------------------------------------

std::optional<SynthEvent> placeCrackle(const SynthBreath& b, double u, double total, SynthRandom& random) {
  SynthEvent e;
  e.kind = SynthEvent::Kind::Crackle;
  e.inspiration = true;
  e.start = b.start + u * b.inspTime;
  // It rings down to endHz from a first deflection three times as fast: the
  // sharp start is what sets a crackle apart from the breath sound. Rings
  // under about 200 Hz make coarse crackles (first two cycles over 10 ms).
  e.endHz = 150.0 + (random.uniform(250.0, 900.0) - 250.0) * (750.0 / 650.0);
  e.startHz = 3.0 * e.endHz;
  const double tau = random.uniform(0.0015, 0.0035);  // s
  e.end = e.start + std::min(5.0 * tau, 0.019);
  if (e.end > total) return std::nullopt;
  return e;
}

constexpr double RingSettle = 0.001;  // s

void synthesiseCrackle(Recording& rec, const SynthEvent& e, SynthRandom& random) {
  // A crackle is a pop heard clearly over the breath: its first deflection
  // is several times the breath sound's rms at its site.
  const double loudness = random.uniform(5.0, 10.0) * (random.uniform() < 0.5 ? -1.0 : 1.0);
  const int primary = random.integer(0, rec.channelCount - 1);
  const double amplitude = loudness * std::max(localRms(rec, primary, e.start - 0.05, e.start + 0.05), 100.0);
  const double length = e.end - e.start;
  const double tau = length / 5.0;
  for (int c = 0; c < rec.channelCount; ++c) {
    // Crackles are local: loud at one site, faint at the others.
    const double gain = c == primary ? 1.0 : 0.25;
    for (int64_t i = firstSampleAt(e.start);; ++i) {
      const double t = static_cast<double>(i) / SoundRate - e.start;
      if (t >= length) break;
      // The frequency falls from startHz to endHz with a 1 ms time constant;
      // the phase is its integral.
      const double phase = 2.0 * Pi * (e.endHz * t + (e.startHz - e.endHz) * RingSettle * (1.0 - std::exp(-t / RingSettle)));
      addSample(rec, c, i, amplitude * gain * std::exp(-t / tau) * std::sin(phase));
    }
  }
}

}  // namespace

std::vector<SynthEvent> addWheezes(Recording& rec, const std::vector<SynthBreath>& plan, SynthRandom& random) {
  std::vector<SynthEvent> events;
  if (rec.channelCount < 1) return events;
  const double total = recordingSeconds(rec);
  bool inspiration = random.uniform() < 0.5;
  auto place = [&](const SynthBreath& b) {
    const std::optional<SynthEvent> e = placeWheeze(b, inspiration, total, random);
    if (!e) return false;
    synthesiseWheeze(rec, *e, random);
    events.push_back(*e);
    inspiration = !inspiration;
    return true;
  };
  std::vector<bool> used(plan.size(), false);
  for (size_t k = 0; k < plan.size(); ++k)
    if (random.uniform() < WheezeChance) used[k] = place(plan[k]);
  // At least one of each phase, as the breaths allow.
  for (size_t k = 0; events.size() < 2 && k < plan.size(); ++k)
    if (!used[k]) used[k] = place(plan[k]);
  std::sort(events.begin(), events.end(), [](const SynthEvent& a, const SynthEvent& b) { return a.start < b.start; });
  return events;
}

std::vector<SynthEvent> addCrackles(Recording& rec, const std::vector<SynthBreath>& plan, SynthRandom& random) {
  std::vector<SynthEvent> events;
  if (rec.channelCount < 1) return events;
  const double total = recordingSeconds(rec);
  auto place = [&](const SynthBreath& b, double u) {
    const std::optional<SynthEvent> e = placeCrackle(b, u, total, random);
    if (!e) return;
    synthesiseCrackle(rec, *e, random);
    events.push_back(*e);
  };
  for (const SynthBreath& b : plan) {
    if (random.uniform() >= CrackleChance) continue;
    const int count = random.integer(1, 4);
    for (int j = 0; j < count; ++j) {
      // Mostly early in inspiration.
      const bool early = random.uniform() < 0.8;
      place(b, early ? random.uniform(0.03, 0.33) : random.uniform(0.33, 0.95));
    }
  }
  for (size_t k = 0; events.empty() && k < plan.size(); ++k) place(plan[k], 0.1);
  std::sort(events.begin(), events.end(), [](const SynthEvent& a, const SynthEvent& b) { return a.start < b.start; });
  return events;
}

std::string cycleAnnotation(const std::vector<SynthBreath>& plan, const std::vector<SynthEvent>& events,
                            double seconds) {
  std::string text;
  for (size_t i = 0; i < plan.size() && plan[i].start < seconds; ++i) {
    const SynthBreath& b = plan[i];
    const double end = std::min(seconds, i + 1 < plan.size() ? plan[i + 1].start
                                                             : b.start + b.inspTime + b.expTime + b.pauseTime);
    bool crackles = false, wheezes = false;
    for (const SynthEvent& e : events) {
      if (e.kind == SynthEvent::Kind::Crackle) crackles = crackles || (e.start >= b.start && e.start < end);
      else wheezes = wheezes || (e.start < end && e.end > b.start);
    }
    char line[96];
    std::snprintf(line, sizeof line, "%.3f\t%.3f\t%d\t%d\n", b.start, end, crackles ? 1 : 0, wheezes ? 1 : 0);
    text += line;
  }
  return text;
}

}  // namespace vode
