// The 2048-point transform of a real analysis window, in single precision.
//
// The 2048 real points are packed as 1024 complex points (even samples real,
// odd samples imaginary), transformed by an in-place radix-2 FFT of 1024
// points (bit-reversed order, then 10 butterfly stages), and unpacked into the
// spectrum of the real signal. The twiddle factors come from tables computed in
// double precision and rounded once, which keeps every power value within
// single-precision rounding of the exact transform.
//
// The stages run two at a time (each pass reads and writes the data once for
// two stages) and are compiled twice, for the x86-64 baseline and for AVX2,
// chosen when the transform is made. Vectors only ever hold independent
// butterflies, each computed with the very operations of the scalar
// butterfly, so both builds give the same bits.
#pragma once

#include <cstdint>
#include <vector>

namespace vode {

class RealFft2048 {
 public:
  static constexpr int Size = 2048;
  static constexpr int Half = Size / 2;  // complex points

  // Scratch space for one thread: allocated once per run, reused per segment.
  struct Work {
    std::vector<float> re, im;        // the packed transform
    std::vector<float> reRev, imRev;  // its upper half in reverse, for the unpacking
    std::vector<float> x;             // a windowed input
    Work() : re(Half), im(Half), reRev(Half), imRev(Half), x(Size) {}
  };

  // wide: use the AVX2 build when the processor has it.
  explicit RealFft2048(bool wide = true);

  // Spectrum bins 0..bins-1 (bins <= 1024) of the real input x[0..2047]:
  // re[b] + i·im[b] = sum over n of x[n]·exp(-2πi·b·n/2048).
  void transform(const float* x, int bins, float* re, float* im, Work& work) const;

  // power[b] = (re[b]² + im[b]²)·scale for b < bins, of the input
  // x[k] = samples[k]·window[k]·volts, all in single precision.
  void power(const int16_t* samples, const float* window, float volts, float scale, int bins, float* power,
             Work& work) const;

  bool wide() const { return wide_; }

  struct Tables {
    std::vector<uint16_t> bitReversed;       // 10-bit reversal of 0..1023
    std::vector<float> stageCos, stageSin;   // per stage of half-span m: m entries from offset m
    std::vector<float> unpackCos, unpackSin; // exp(-2πi·k/2048), k = 0..1023
  };

 private:
  Tables tables_;
  bool wide_ = false;
};

}  // namespace vode
