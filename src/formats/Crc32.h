// The block files' checksum: CRC-32 over the reflected polynomial 0xEDB88320
// (the IEEE 802.3 table), started at 0xFFFFFFFF for every block and never
// inverted at the end, so "123456789" gives 0x340BC6D9 rather than the usual
// 0xCBF43926.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vode {

constexpr uint32_t CrcStart = 0xFFFFFFFFu;

// Feeds size bytes into a running CRC and returns the new value. Long runs go
// through the carry-less multiply kernel when the processor has one, anything
// else through the slicing kernel; both give the same value.
uint32_t crc32Update(uint32_t crc, const void* data, std::size_t size);

// Eight bytes per step through eight tables (slicing-by-8).
uint32_t crc32UpdateSliced(uint32_t crc, const void* data, std::size_t size);

// 64 bytes per step folded with carry-less multiplies (PCLMULQDQ). Only when
// crc32CarrylessAvailable(); otherwise it is the sliced kernel.
uint32_t crc32UpdateCarryless(uint32_t crc, const void* data, std::size_t size);
bool crc32CarrylessAvailable();

// The same value one byte at a time: crc = (crc >> 8) ^ table[(crc ^ byte) & 0xFF].
uint32_t crc32UpdateBytewise(uint32_t crc, const void* data, std::size_t size);

}  // namespace vode
