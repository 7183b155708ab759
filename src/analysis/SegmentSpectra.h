// Power spectra of every segment of every channel, the sonogram images, and the
// band-power and flow-bin results computed from them.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "model/LargeBuffer.h"
#include "model/Palette.h"
#include "model/Recording.h"

namespace vode {

constexpr int BinWidth = 5;       // Hz: 10240 Hz / 2048 points
constexpr int BinCount = 960;     // bins 0..959 cover 0..4795 Hz
constexpr int ImageRows = 480;    // sonogram image height
constexpr int PaintedRows = 239;  // rows 0..238 hold levels

// A palette-indexed image: one byte per pixel, row-major.
struct IndexedImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;

  void allocate(int w, int h) {
    width = w;
    height = h;
    pixels.assign(static_cast<size_t>(w) * h, 0);
  }
  uint8_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  uint8_t& at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
};

class SegmentSpectra {
 public:
  SegmentSpectra() = default;
  SegmentSpectra(SegmentSpectra&&) = default;
  SegmentSpectra& operator=(SegmentSpectra&&) = default;
  // Hands the power storage on to the next create() of the process.
  ~SegmentSpectra();

  int channelCount = 0;
  int segmentCount = 0;

  // power[(c × segmentCount + s) × BinCount + b], watts, single precision.
  LargeVector<float> powerData;
  std::array<IndexedImage, MaxChannels> sonogram;
  Palette imagePalette = Palette::grey();  // the palette the images were painted for

  // Band power (dB above the background in the band), per channel and segment.
  std::array<std::vector<float>, MaxChannels> bandPower;
  std::array<float, MaxChannels> peakBandPower{};
  std::array<float, MaxChannels> backgroundReference{};  // watts per bin

  // Applies the caps (8 channels, 1800 segments) and allocates; false (and no
  // spectra) when memory runs out or the dimensions are invalid. The power is
  // 0 everywhere, or with zeroed false left unset for a caller that writes all
  // of it at once (CalculatePower). The storage of the spectra released last
  // is taken over when it is large enough, so analysing a recording of the
  // same shape again touches no fresh memory.
  bool create(int segments, int channels, bool zeroed = true);

  bool hasPower() const { return !powerData.empty(); }
  bool hasPower(int c) const { return hasPower() && c >= 0 && c < channelCount; }
  float* power(int c, int s) { return powerData.data() + (static_cast<size_t>(c) * segmentCount + s) * BinCount; }
  const float* power(int c, int s) const {
    return powerData.data() + (static_cast<size_t>(c) * segmentCount + s) * BinCount;
  }

  // Mean of power[c][s][bLow..bHigh] in single precision; 0 when bLow > bHigh,
  // bHigh > 959 or an index is out of range.
  float BandMean(int c, int s, int bHigh, int bLow) const;
};

// 10·log10(p / reference) as 4.342944819·ln(p / reference) in single
// precision; -200 for p <= 1e-200.
float PowerTodB(float p, float dBReference);

}  // namespace vode
