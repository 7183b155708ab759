// Recordings of the older DOS acquisition program (.dat): up to four 12-bit
// acquisition channels (1 a low-rate copy of a sound channel, 2 the breath
// signal, 3 sound A, 4 sound B), compressed segment by segment behind a header
// of tagged records and fixed blocks.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "formats/FileSystem.h"
#include "model/ShortString.h"

namespace vode {

struct RecordingBundle;
class Prompter;
class ProgressSink;

constexpr uint32_t DosMagic = 0xE705C29C;

// Resets the document and reads a DOS recording into it: one or two sound
// channels and the flow. A 5120 Hz file is upsampled to 10240 Hz. Sets
// doc.state.ioError and returns it (201 for anything the format cannot hold).
int importDos(RecordingBundle& doc, const std::string& path, Prompter& prompter, ProgressSink& progress,
              FileSystem& fs = FileSystem::real());

// Writes one DOS file holding the breath signal, the given aux channel (DOS
// channel 1, every 32nd sample), Sound A (channel 3) and Sound B (channel 4);
// channels are 0-based, -1 for none, and Sound A is required. Sound becomes
// (sample + 32768) / 16 and flow flow / 10 + 2048 (truncated), both limited
// to 0..4095, under a header that reads them back as counts and mL/s:
// zero level 2048, scale 4.096 (10 mL/s per step), invert off, the flow flag
// set for a pneumotachograph. A respiration-band recording is written the
// same way with the flow flag clear, and the reader multiplies a band by 16,
// so a band does not come back unchanged.
// Without a recording nothing is written and 0 is returned; channels outside
// the recording or a recording without segments give 201.
int writeDosFile(const RecordingBundle& doc, const std::string& path, int aux, int soundA, int soundB,
                 FileSystem& fs = FileSystem::real());

// The DOS export of a recording of one or two channels: Sound A = channel 1,
// Sound B = channel 2 when present, no aux. A wider recording needs its
// channels chosen (writeDosFile); here it is refused with a message and 201.
int DosExport(const RecordingBundle& doc, const std::string& path, Prompter& prompter,
              FileSystem& fs = FileSystem::real());

// One file of the DOS export of a wider recording: the text added to the
// prefix, and three indices into the channel list, where 0 is none and k is
// channel k − 1. A row is written only with a Sound A channel.
struct DosExportRow {
  ShortString<10> postfix;
  int16_t aux = 0;
  int16_t soundA = 0;
  int16_t soundB = 0;
};
using DosExportRows = std::array<DosExportRow, 4>;

// The chosen path with its file-name part cut before that part's first "."
// (the folders stay whole, dots and all).
std::string dosExportPrefix(const std::string& path);

// The postfix a row's choices suggest: the three indices' digits, aux first.
std::string dosExportPostfix(int aux, int soundA, int soundB);

// Writes prefix + postfix + ".dat" for every row with a Sound A choice. A file
// that exists is replaced only when "Overwrite " + name + "?" is answered Yes;
// No skips that row. The first failure is reported ("Unable to save " + name
// + "... " + text) and ends the export; returns its code, or 0.
int writeDosExportRows(const RecordingBundle& doc, const std::string& prefix, const DosExportRows& rows,
                       Prompter& prompter, FileSystem& fs = FileSystem::real());

}  // namespace vode
