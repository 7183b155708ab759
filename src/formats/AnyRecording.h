// Opening any recording: the program's own formats (.mer, .bin, .dat and the
// 16-bit 10240 Hz WAV) through their readers, and every other sound file
// libsndfile reads (FLAC, Ogg, AIFF, WAV of any rate and depth; up to eight
// channels) through the resample import, with the samples and warnings of
// `vode-cli convert --resample`.
#pragma once

#include <string>
#include <vector>

#include "formats/FileSystem.h"
#include "formats/ResampleImport.h"

namespace vode {

struct RecordingBundle;
class Prompter;
class ProgressSink;

// What a sound file held before it was resampled.
struct SoundFileFormat {
  int rate = 0;      // Hz
  int bits = 0;      // sample depth; 0 for a coding that has none (Vorbis, Opus, MPEG)
  int channels = 0;
};

struct ImportedFrom {
  bool resampled = false;  // false: one of the program's own formats
  SoundFileFormat source;
  ResampleSummary summary;
};

// "Resampled from 44100 Hz, 24-bit, 2 channels" ("1 channel" for one; the
// depth is left out for a coding without one); empty when not resampled.
std::string resampledFromText(const ImportedFrom& from);

// The warnings of a resampled import, through the prompter: a WAV data size
// that was mended, input shorter than its header says, longer than 180 s, or
// ending part-way through a segment.
void warnAboutResampling(const std::string& path, const ResampleSummary& summary, Prompter& prompter);

// The format of a sound file libsndfile opens; false when it opens none (or
// the path is not a regular file, which could block or never end).
bool probeSoundFile(const std::string& path, SoundFileFormat& format, FileSystem& fs = FileSystem::real());

// Reads path into doc. ".MER", ".BIN", ".DAT" go to their readers; ".WAV"
// with the canonical 16-bit 10240 Hz header to the WAV reader; a file of any
// other extension that starts like a block file to the block-file reader.
// Everything else that libsndfile opens is resampled (a failure there is
// shown through the prompter and gives 201). A file nothing reads goes to
// the reader its extension names, so it is refused with that reader's
// message and code. libsndfile reads the machine's files itself, past fs.
// Sets doc.state.ioError and returns the code; from (when given) says how
// the file was read.
int readAnyRecording(RecordingBundle& doc, const std::string& path, Prompter& prompter, ProgressSink& progress,
                     FileSystem& fs = FileSystem::real(), ImportedFrom* from = nullptr);

// The extensions (lower case, without the dot) of every file readAnyRecording
// opens, each once: the program's own (mer, bin, dat, wav), then those of the
// formats libsndfile reads here (flac, ogg, aiff, ...) with their common
// variants (aif, mp3, opus), for an open dialog's "All recordings" filter.
std::vector<std::string> recordingExtensions();

// True when readAnyRecording changes doc only once the file has been read
// whole (the WAV reader and the resample import check everything first);
// false for the readers that empty the document before they read.
bool readsBeforeReplacing(const std::string& path, FileSystem& fs = FileSystem::real());

}  // namespace vode
