#include "model/Synthetic.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>
#include <string>

#include "model/DateText.h"
#include "model/RecordingBundle.h"
#include "model/Numeric.h"
#include "model/SyntheticEvents.h"

namespace vode {

// ---- Generator ---------------------------------------------------------------

namespace {

uint64_t splitmix64(uint64_t& x) {
  uint64_t z = (x += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

uint64_t rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

}  // namespace

SynthRandom::SynthRandom(uint64_t seed) {
  for (uint64_t& s : s_) s = splitmix64(seed);
}

uint64_t SynthRandom::next() {
  const uint64_t result = rotl(s_[1] * 5, 7) * 9;
  const uint64_t t = s_[1] << 17;
  s_[2] ^= s_[0];
  s_[3] ^= s_[1];
  s_[1] ^= s_[2];
  s_[0] ^= s_[3];
  s_[2] ^= t;
  s_[3] = rotl(s_[3], 45);
  return result;
}

// 53 random bits: exact in a double.
double SynthRandom::uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

double SynthRandom::uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }

int SynthRandom::integer(int lo, int hi) {
  return lo + static_cast<int>(next() % static_cast<uint64_t>(hi - lo + 1));
}

// Four uniforms have variance 4/12; √3 brings it to 1. Close enough to a
// Gaussian for noise, and free of library functions that may change.
double SynthRandom::normal() {
  const double sum = uniform() + uniform() + uniform() + uniform() - 2.0;
  return sum * 1.7320508075688772;
}

// ---- Breathing -----------------------------------------------------------------

namespace {

constexpr double Pi = std::numbers::pi;

// 0 → 1 over the rise, flat, 1 → 0 over the fall (raised-cosine edges).
double plateau(double u, double length, double rise, double fall) {
  rise = std::min(rise, length / 3.0);
  fall = std::min(fall, length / 3.0);
  if (u < rise) return 0.5 * (1.0 - std::cos(Pi * u / rise));
  if (u > length - fall) return 0.5 * (1.0 - std::cos(Pi * (length - u) / fall));
  return 1.0;
}

const SynthBreath* breathAt(const std::vector<SynthBreath>& plan, double t) {
  auto after = std::upper_bound(plan.begin(), plan.end(), t,
                                [](double time, const SynthBreath& b) { return time < b.start; });
  if (after == plan.begin()) return nullptr;
  return &*(after - 1);
}

}  // namespace

std::vector<SynthBreath> planBreaths(SynthRandom& random, double seconds, double targetFlow) {
  std::vector<SynthBreath> plan;
  const double baseRate = random.uniform(13.0, 18.0);  // breaths a minute
  double t = random.uniform(0.3, 1.0);                 // starts in a pause
  while (t < seconds) {
    SynthBreath b;
    b.start = t;
    const double rate = std::clamp(baseRate * random.uniform(0.88, 1.12), 12.0, 20.0);
    const double period = 60.0 / rate;
    b.inspTime = period * random.uniform(0.36, 0.42);
    b.pauseTime = period * random.uniform(0.08, 0.16);
    b.expTime = period - b.inspTime - b.pauseTime;
    // Plateaus within ±8 % of the target, well inside its ±20 % window.
    b.inspFlow = targetFlow * random.uniform(0.92, 1.08);
    b.expFlow = targetFlow * random.uniform(0.92, 1.06);
    plan.push_back(b);
    t += period;
  }
  return plan;
}

double breathFlowAt(const std::vector<SynthBreath>& plan, double t) {
  const SynthBreath* b = breathAt(plan, t);
  if (!b) return 0.0;
  const double u = t - b->start;
  // A slight cardiogenic ripple on the plateaus.
  const double ripple = 1.0 + 0.02 * std::sin(2.0 * Pi * 1.2 * t);
  if (u < b->inspTime) return b->inspFlow * plateau(u, b->inspTime, 0.20, 0.20) * ripple;
  const double v = u - b->inspTime;
  if (v < b->expTime) return -b->expFlow * plateau(v, b->expTime, 0.12, 0.30) * ripple;
  return 0.0;
}

SynthTarget tidalTarget(float weightKg) {
  const float q = 7.5f * weightKg / 1000.0f;  // L/s
  return {roundEven(100.0f * q) * 10, roundEven(200.0f * q)};
}

namespace {

// Respiration band in mV: rises through inspiration, falls through
// expiration, rests in the pause; a slow baseline wander on top.
double bandAt(const std::vector<SynthBreath>& plan, double t, double targetFlow, double wanderPhase) {
  const double wander = 50.0 * std::sin(2.0 * Pi * 0.03 * t + wanderPhase);
  const SynthBreath* b = breathAt(plan, t);
  if (!b) return -450.0 + wander;
  const double depth = 900.0 * b->inspFlow / targetFlow;
  const double u = t - b->start;
  double level = 0.0;
  if (u < b->inspTime)
    level = 0.5 * (1.0 - std::cos(Pi * u / b->inspTime));
  else if (u < b->inspTime + b->expTime)
    level = 0.5 * (1.0 + std::cos(Pi * (u - b->inspTime) / b->expTime));
  return -450.0 + depth * level + wander;
}

// ---- Breath sound ----------------------------------------------------------------

// A second-order section (direct form I), coefficients after the usual
// audio-filter cookbook with Q = 1/√2.
class Biquad {
 public:
  static Biquad lowPass(double hz) { return make(hz, false); }
  static Biquad highPass(double hz) { return make(hz, true); }

  double operator()(double x) {
    const double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
    x2_ = x1_;
    x1_ = x;
    y2_ = y1_;
    y1_ = y;
    return y;
  }

 private:
  static Biquad make(double hz, bool high) {
    const double w = 2.0 * Pi * hz / SoundRate;
    const double c = std::cos(w);
    const double alpha = std::sin(w) / (2.0 * 0.7071067811865476);
    const double a0 = 1.0 + alpha;
    Biquad f;
    const double edge = high ? (1.0 + c) / 2.0 : (1.0 - c) / 2.0;
    f.b0_ = edge / a0;
    f.b1_ = (high ? -2.0 * edge : 2.0 * edge) / a0;
    f.b2_ = edge / a0;
    f.a1_ = -2.0 * c / a0;
    f.a2_ = (1.0 - alpha) / a0;
    return f;
  }
  double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
  double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

// A first-order low-pass: -6 dB an octave above its corner.
class OnePole {
 public:
  explicit OnePole(double hz) : a_(std::exp(-2.0 * Pi * hz / SoundRate)) {}
  double operator()(double x) {
    y_ = (1.0 - a_) * x + a_ * y_;
    return y_;
  }

 private:
  double a_;
  double y_ = 0.0;
};

// How one recording site sounds: its spectrum (a DC blocker at dcHz, then two
// first-order roll-offs at cornerHz and rollHz, so the level falls gently from
// the lowest frequencies as breath sound does), and its loudness (counts rms)
// at the target flow in each direction, and the quiet floor of a pause.
struct Voice {
  double dcHz, cornerHz, rollHz;
  double inspLevel, expLevel, floorLevel;
};

Voice voiceFor(int channel, SynthRandom& random) {
  // The trachea is broad-band and loud both ways; chest-wall sites are
  // low-pass and much quieter in expiration.
  if (channel == 0)
    return {random.uniform(8.0, 12.0), random.uniform(300.0, 450.0), random.uniform(1200.0, 1600.0),
            random.uniform(2000.0, 2600.0), random.uniform(1400.0, 1900.0), 30.0};
  return {random.uniform(8.0, 12.0), random.uniform(100.0, 150.0), random.uniform(400.0, 600.0),
          random.uniform(650.0, 1200.0), random.uniform(220.0, 400.0), 20.0};
}

// Shaped noise of unit rms. No steep high-pass: a sharp low-frequency edge
// leaves a hump in the log spectrum between 100 and 300 Hz, which a wheeze
// detector rightly takes for a tone in every segment.
std::vector<float> bandNoise(SynthRandom& random, std::size_t n, const Voice& voice) {
  std::vector<float> out(n);
  Biquad dc = Biquad::highPass(voice.dcHz);
  OnePole corner(voice.cornerHz), roll(voice.rollHz);
  double energy = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const double y = roll(corner(dc(random.normal())));
    out[i] = static_cast<float>(y);
    energy += y * y;
  }
  const double rms = n > 0 ? std::sqrt(energy / static_cast<double>(n)) : 1.0;
  if (rms > 0.0)
    for (float& v : out) v = static_cast<float>(v / rms);
  return out;
}

// Noise whose loudness follows |flow|: cleanFlow holds one value per flow
// sample plus one past the end, interpolated to the sound rate.
void breathSound(std::vector<int16_t>& out, const std::vector<double>& cleanFlow, double targetFlow,
                 const Voice& voice, SynthRandom& random) {
  const std::vector<float> noise = bandNoise(random, out.size(), voice);
  constexpr int perFlow = SoundRate / FlowRate;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const std::size_t k = i / perFlow;
    const double frac = static_cast<double>(i % perFlow) / perFlow;
    const double f = cleanFlow[k] + (cleanFlow[k + 1] - cleanFlow[k]) * frac;
    const double level = std::abs(f) / targetFlow;
    const double amplitude = voice.floorLevel + (f > 0.0 ? voice.inspLevel : voice.expLevel) * level;
    out[i] = clamp16(roundEven64(noise[i] * amplitude));
  }
}

// ---- Subject -----------------------------------------------------------------------

const char* const SiteNames[MaxChannels] = {"TRA", "RUant", "LUant", "RML", "LLsup", "RLsup", "LLbas", "RLbas"};
const char* const LastNames[] = {"Horvat", "Novak", "Kovacic", "Babic", "Maric", "Petrovic", "Juric",
                                 "Vukovic", "Knezevic", "Markovic", "Pavlovic", "Bozic"};
const char* const MaleNames[] = {"Ivan", "Marko", "Luka", "Josip", "Tomislav", "Ante", "Petar", "Nikola"};
const char* const FemaleNames[] = {"Ana", "Marija", "Ivana", "Petra", "Maja", "Lucija", "Katarina", "Sara"};

template <std::size_t N>
const char* pick(SynthRandom& random, const char* const (&list)[N]) {
  return list[random.integer(0, static_cast<int>(N) - 1)];
}

void makeSubject(RecordingBundle& doc, SynthRandom& random, const SynthOptions& options) {
  SubjectRecord& s = doc.subject;
  s.sex = static_cast<uint8_t>(random.integer(0, 1));
  s.lastName = pick(random, LastNames);
  s.firstName = s.sex == 0 ? pick(random, MaleNames) : pick(random, FemaleNames);
  char text[64];
  std::snprintf(text, sizeof text, "SYN-%05llu", static_cast<unsigned long long>(options.seed % 100000));
  s.id = text;
  // Born 1944-2003, independent of today so that the file is too.
  s.birthDate = daysFromCivil(random.integer(1944, 2003), random.integer(1, 12), random.integer(1, 28));
  s.weight = static_cast<float>(random.integer(550, 950)) / 10.0f;
  s.height = static_cast<float>(random.integer(152, 194));
  s.diagnosis = "healthy volunteer";
  std::snprintf(text, sizeof text, "synthetic, seed %llu", static_cast<unsigned long long>(options.seed));
  s.remarks = text;
}

}  // namespace

// ---- The recording ---------------------------------------------------------------

void makeSyntheticRecording(RecordingBundle& doc, const SynthOptions& options, std::vector<SynthEvent>* events,
                            std::vector<SynthBreath>* breaths) {
  doc.reset();
  SynthRandom random(options.seed);
  const int channels = std::clamp(options.channels, 0, MaxChannels);
  const int segments = std::clamp(roundEven(options.seconds * 10.0), 1, MaxSegments);

  makeSubject(doc, random, options);
  doc.laboratory.name = "Synthetic data";
  doc.laboratory.investigator = "vode-cli synth";
  doc.comments = "Synthetic breathing made by vode-cli synth.";
  ChannelSetup& setup = doc.channelSetup;
  setup.airflowKind = options.resp ? 1 : 0;
  setup.setupChannelCount = static_cast<int16_t>(channels);
  for (int c = 0; c < MaxChannelNames; ++c) setup.channelNames[c] = c < channels ? SiteNames[c] : "";

  const double target = options.targetFlow > 0.0 ? options.targetFlow : tidalTarget(doc.subject.weight).flow;
  const double seconds = segments / 10.0;
  const std::vector<SynthBreath> plan = planBreaths(random, seconds, target);

  auto rec = std::make_unique<Recording>(Recording::create(segments, channels));
  std::vector<double> cleanFlow(static_cast<std::size_t>(rec->flowSampleCount) + 1);
  for (std::size_t k = 0; k < cleanFlow.size(); ++k)
    cleanFlow[k] = breathFlowAt(plan, static_cast<double>(k) / FlowRate);

  if (options.resp) {
    const double phase = random.uniform(0.0, 2.0 * Pi);
    for (int32_t k = 0; k < rec->flowSampleCount; ++k)
      rec->flow[k] = clamp16(roundEven64(bandAt(plan, static_cast<double>(k) / FlowRate, target, phase) +
                                         2.0 * random.normal()));
  } else {
    // A few mL/s of measurement noise on the pneumotachograph.
    for (int32_t k = 0; k < rec->flowSampleCount; ++k)
      rec->flow[k] = clamp16(roundEven64(cleanFlow[k] + 3.0 * random.normal()));
  }

  for (int c = 0; c < channels; ++c) {
    const Voice voice = voiceFor(c, random);
    breathSound(rec->sound[c], cleanFlow, target, voice, random);
  }

  std::vector<SynthEvent> added;
  if (options.wheezes) {
    SynthRandom wheezeRandom(options.seed ^ 0x57484545ull);
    const std::vector<SynthEvent> wheezes = addWheezes(*rec, plan, wheezeRandom);
    added.insert(added.end(), wheezes.begin(), wheezes.end());
  }
  if (options.crackles) {
    SynthRandom crackleRandom(options.seed ^ 0x43524B4Cull);
    const std::vector<SynthEvent> crackles = addCrackles(*rec, plan, crackleRandom);
    added.insert(added.end(), crackles.begin(), crackles.end());
  }
  std::stable_sort(added.begin(), added.end(),
                   [](const SynthEvent& a, const SynthEvent& b) { return a.start < b.start; });
  if (events) *events = std::move(added);
  if (breaths) *breaths = plan;
  if (!options.breathSignal) std::fill(rec->flow.begin(), rec->flow.end(), int16_t{0});

  doc.recording = std::move(rec);
  doc.computeVolume();
  doc.updatePeakAmplitude();
}

}  // namespace vode
