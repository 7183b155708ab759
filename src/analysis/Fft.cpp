#include "analysis/Fft.h"

#include <cmath>

namespace vode {

namespace {
constexpr int Bits = 10;  // 1024 = 2^10 complex points
}

RealFft2048::RealFft2048()
    : bitReversed_(Half), stageCos_(Half), stageSin_(Half), unpackCos_(Half), unpackSin_(Half) {
  for (int j = 0; j < Half; ++j) {
    int r = 0;
    for (int b = 0; b < Bits; ++b) r |= ((j >> b) & 1) << (Bits - 1 - b);
    bitReversed_[j] = static_cast<uint16_t>(r);
  }
  // Stage of half-span m (4 .. 512): exp(-iπ·j/m) for j < m, stored from index m.
  for (int m = 4; m < Half; m *= 2) {
    for (int j = 0; j < m; ++j) {
      const double a = M_PI * j / m;
      stageCos_[m + j] = static_cast<float>(std::cos(a));
      stageSin_[m + j] = static_cast<float>(-std::sin(a));
    }
  }
  for (int k = 0; k < Half; ++k) {
    const double a = 2.0 * M_PI * k / Size;
    unpackCos_[k] = static_cast<float>(std::cos(a));
    unpackSin_[k] = static_cast<float>(-std::sin(a));
  }
}

void RealFft2048::transform(const float* x, int bins, float* outRe, float* outIm, Work& work) const {
  float* re = work.re.data();
  float* im = work.im.data();

  // Pack even samples as real and odd samples as imaginary parts, in
  // bit-reversed order.
  for (int j = 0; j < Half; ++j) {
    const int r = bitReversed_[j];
    re[j] = x[2 * r];
    im[j] = x[2 * r + 1];
  }

  // Stages of half-span 1 and 2 together: their twiddles are 1 and -i.
  for (int g = 0; g < Half; g += 4) {
    const float a0r = re[g] + re[g + 1], a0i = im[g] + im[g + 1];
    const float a1r = re[g] - re[g + 1], a1i = im[g] - im[g + 1];
    const float a2r = re[g + 2] + re[g + 3], a2i = im[g + 2] + im[g + 3];
    const float a3r = re[g + 2] - re[g + 3], a3i = im[g + 2] - im[g + 3];
    re[g] = a0r + a2r;
    im[g] = a0i + a2i;
    re[g + 2] = a0r - a2r;
    im[g + 2] = a0i - a2i;
    // -i · a3 = (a3i, -a3r)
    re[g + 1] = a1r + a3i;
    im[g + 1] = a1i - a3r;
    re[g + 3] = a1r - a3i;
    im[g + 3] = a1i + a3r;
  }

  // The remaining stages, half-span 4 to 512.
  for (int m = 4; m < Half; m *= 2) {
    const float* wc = stageCos_.data() + m;
    const float* ws = stageSin_.data() + m;
    for (int g = 0; g < Half; g += 2 * m) {
      float* ar = re + g;
      float* ai = im + g;
      float* br = re + g + m;
      float* bi = im + g + m;
      for (int j = 0; j < m; ++j) {
        const float tr = br[j] * wc[j] - bi[j] * ws[j];
        const float ti = br[j] * ws[j] + bi[j] * wc[j];
        br[j] = ar[j] - tr;
        bi[j] = ai[j] - ti;
        ar[j] = ar[j] + tr;
        ai[j] = ai[j] + ti;
      }
    }
  }

  // Unpack: with Z the packed transform, the even samples' transform is
  // E = (Z[k] + conj Z[N-k]) / 2, the odd samples' O = (Z[k] - conj Z[N-k]) / 2i,
  // and X[k] = E + exp(-2πi·k/2048)·O.
  if (bins > Half) bins = Half;
  for (int k = 0; k < bins; ++k) {
    const int n = (Half - k) & (Half - 1);
    const float er = (re[k] + re[n]) * 0.5f;
    const float ei = (im[k] - im[n]) * 0.5f;
    const float orr = (im[k] + im[n]) * 0.5f;
    const float oi = (re[n] - re[k]) * 0.5f;
    const float c = unpackCos_[k];
    const float s = unpackSin_[k];
    outRe[k] = er + (c * orr - s * oi);
    outIm[k] = ei + (c * oi + s * orr);
  }
}

}  // namespace vode
