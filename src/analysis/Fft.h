// The 2048-point transform of a real analysis window, in single precision.
//
// The 2048 real points are packed as 1024 complex points (even samples real,
// odd samples imaginary), transformed by an in-place radix-2 FFT of 1024
// points (bit-reversed order, then 10 butterfly stages), and unpacked into the
// spectrum of the real signal. The twiddle factors come from tables computed in
// double precision and rounded once, which keeps every power value within
// single-precision rounding of the exact transform.
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
    Work() : re(Half), im(Half), reRev(Half), imRev(Half) {}
  };

  RealFft2048();

  // Spectrum bins 0..bins-1 (bins <= 1024) of the real input x[0..2047]:
  // re[b] + i·im[b] = sum over n of x[n]·exp(-2πi·b·n/2048).
  void transform(const float* x, int bins, float* re, float* im, Work& work) const;

 private:
  std::vector<uint16_t> bitReversed_;        // 10-bit reversal of 0..1023
  std::vector<float> stageCos_, stageSin_;   // per stage of half-span m: m entries from offset m
  std::vector<float> unpackCos_, unpackSin_; // exp(-2πi·k/2048), k = 0..1023
};

}  // namespace vode
