#include "analysis/WheezeKernels.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vode {

namespace {

constexpr double Pi = 3.14159265358979323846;

// Each weight is worked out in double and stored once in single precision.
template <size_t N>
void idealLowPass(std::array<float, N>& K, float centre, double step) {
  K[0] = centre;
  for (size_t k = 1; k < N; ++k) {
    const double kk = static_cast<double>(k);
    K[k] = static_cast<float>(std::sin(kk * step) / (kk * Pi));
  }
}

}  // namespace

std::vector<float> MakeKernel(int n, KernelKind kind) {
  if (n < 0) return {};
  std::vector<float> K(static_cast<size_t>(n) + 1);
  const float d = static_cast<float>(Pi / (n + 1));
  K[0] = kind == KernelKind::RaisedCosine ? 1.0f : 0.0f;
  for (int k = 1; k <= n; ++k) {
    const double angle = kind == KernelKind::RaisedCosine ? static_cast<double>(d) * k
                                                          : 2.0 * static_cast<double>(d) * k - Pi;
    K[k] = static_cast<float>(0.5 * std::cos(angle) + 0.5);
  }
  float side = 0.0f;
  for (int k = 1; k <= n; ++k) side += K[k];
  const float total = K[0] + 2.0f * side;
  for (float& weight : K) weight /= total;
  return K;
}

PeakKernels MakePeakKernels() {
  PeakKernels kernels;
  // 1.0471976 and 0.31415927 are π/3 and π/10 as single-precision constants.
  idealLowPass(kernels.S, 1.0f / 3.0f, 1.0471976);
  idealLowPass(kernels.W, 0.1f, 0.31415927);
  kernels.R = MakeKernel(RingHalf, KernelKind::Ring);
  kernels.D = MakeKernel(SideHalf, KernelKind::RaisedCosine);
  return kernels;
}

float FilterAt(const float* y, int size, int i, const float* K, int n) {
  const int last = size - 1;
  i = std::clamp(i, 0, last);
  float sum = K[0] * y[i];
  for (int k = 1; k <= n; ++k) {
    const float above = y[std::min(i + k, last)];
    const float below = y[std::max(i - k, 0)];
    sum += K[k] * (above + below);
  }
  return sum;
}

void SmoothRow(const float* x, int size, float* y, int count, const float* S) {
  constexpr int Block = 16;
  constexpr int MaxRow = 1024;
  if (count <= 0 || size <= 0) return;
  count = std::min(count, std::min(size, MaxRow));
  const int rounded = (count + Block - 1) / Block * Block;

  // The row padded with its end values, so the loop needs no index checks:
  // p[SmoothHalf + j] = x[j] clamped to 0 .. size − 1.
  alignas(16) float p[MaxRow + Block + 2 * SmoothHalf];
  const int needed = rounded + 2 * SmoothHalf;
  for (int j = 0; j < needed; ++j) p[j] = x[std::clamp(j - SmoothHalf, 0, size - 1)];
  const float* centre = p + SmoothHalf;

  alignas(16) float tail[Block];
  for (int i0 = 0; i0 < rounded; i0 += Block) {
    float* out = i0 + Block <= count ? y + i0 : tail;
#if defined(__SSE2__)
    // Four lanes per register, four registers per block: vectorised across
    // outputs, so each y[i] still adds its terms in order of increasing k.
    const __m128 s0 = _mm_set1_ps(S[0]);
    __m128 a0 = _mm_mul_ps(s0, _mm_loadu_ps(centre + i0));
    __m128 a1 = _mm_mul_ps(s0, _mm_loadu_ps(centre + i0 + 4));
    __m128 a2 = _mm_mul_ps(s0, _mm_loadu_ps(centre + i0 + 8));
    __m128 a3 = _mm_mul_ps(s0, _mm_loadu_ps(centre + i0 + 12));
    for (int k = 1; k <= SmoothHalf; ++k) {
      const __m128 sk = _mm_set1_ps(S[k]);
      const float* up = centre + i0 + k;
      const float* down = centre + i0 - k;
      a0 = _mm_add_ps(a0, _mm_mul_ps(sk, _mm_add_ps(_mm_loadu_ps(up), _mm_loadu_ps(down))));
      a1 = _mm_add_ps(a1, _mm_mul_ps(sk, _mm_add_ps(_mm_loadu_ps(up + 4), _mm_loadu_ps(down + 4))));
      a2 = _mm_add_ps(a2, _mm_mul_ps(sk, _mm_add_ps(_mm_loadu_ps(up + 8), _mm_loadu_ps(down + 8))));
      a3 = _mm_add_ps(a3, _mm_mul_ps(sk, _mm_add_ps(_mm_loadu_ps(up + 12), _mm_loadu_ps(down + 12))));
    }
    _mm_storeu_ps(out, a0);
    _mm_storeu_ps(out + 4, a1);
    _mm_storeu_ps(out + 8, a2);
    _mm_storeu_ps(out + 12, a3);
#else
    float acc[Block];
    for (int j = 0; j < Block; ++j) acc[j] = S[0] * centre[i0 + j];
    for (int k = 1; k <= SmoothHalf; ++k)
      for (int j = 0; j < Block; ++j) acc[j] += S[k] * (centre[i0 + j + k] + centre[i0 + j - k]);
    for (int j = 0; j < Block; ++j) out[j] = acc[j];
#endif
    if (out == tail)
      for (int j = 0; i0 + j < count; ++j) y[i0 + j] = tail[j];
  }
}

}  // namespace vode
