// The block file: one format for recordings (.mer) and for the default
// settings file. A six-byte header, then blocks, each framed by its id and
// size and guarded by a running CRC-32, until the end block.
//
// Errors are the codes of formats/FileErrors.h: 100 when the file ends early,
// 154 on a checksum mismatch, 201 for a file that is not ours or holds counts
// we cannot take, 202 for more than 1800 segments, platform codes otherwise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/FileSystem.h"

namespace vode {

struct RecordingBundle;
class Prompter;
class ProgressSink;

constexpr uint32_t BlockFileMagic = 0xC746E59Bu;
constexpr uint16_t BlockFileVersion = 2;

// Block ids.
constexpr uint16_t BlockEnd = 0;
constexpr uint16_t BlockSubject = 1;
constexpr uint16_t BlockLaboratory = 2;
constexpr uint16_t BlockPreferences = 3;
constexpr uint16_t BlockComments = 4;
constexpr uint16_t BlockChannelSetup = 5;
constexpr uint16_t BlockAnalysisParameters = 6;
constexpr uint16_t BlockRecording = 101;
constexpr uint16_t BlockOldSpectra = 102;  // version-1 files only; read and dropped
constexpr uint16_t BlockTags = 103;

constexpr std::size_t MaxCommentsLength = 65535;

extern const char* const OldFormatWarning;

// ---- Loading --------------------------------------------------------------

// Resets the document and reads a recording or settings file into it. Sets
// doc.state.ioError and doc.state.fileVersion and returns the code (0 = ok).
// A failed load leaves the document reset. Only the format's own warnings go
// through the prompter; the caller shows "Unable to open " + path + "... " +
// FileErrorText(code). A file longer than maxBytes (at most 512 MiB) is
// refused with 202 before it is read.
int loadBlockFile(RecordingBundle& doc, const std::string& path, Prompter& prompter, ProgressSink& progress,
                  FileSystem& fs = FileSystem::real(), std::size_t maxBytes = SIZE_MAX);

// The reading itself, from a whole file in memory, into a document that the
// caller has reset. Returns the code; fills doc.state.fileVersion.
int readBlockImage(RecordingBundle& doc, const uint8_t* data, std::size_t size, Prompter& prompter,
                   ProgressSink& progress);

// ---- Saving ---------------------------------------------------------------

// Writes segments first..last of the document's recording (Save passes 0 and
// segmentCount - 1; last < first writes none) with every record, the comments
// and the tag table. The file is replaced only once it is completely written;
// on failure the previous file is untouched and the warning "Unable to save "
// + path + "... " + text is shown. Sets ioError and modified = (ioError != 0).
int saveRecordingFile(RecordingBundle& doc, const std::string& path, int first, int last, Prompter& prompter,
                      ProgressSink& progress, FileSystem& fs = FileSystem::real());

// Writes the four settings records (laboratory, preferences, channel set-up,
// analysis parameters) as a settings file. Sets ioError; warns on failure.
int saveSettingsFile(RecordingBundle& doc, const std::string& path, Prompter& prompter, ProgressSink& progress,
                     FileSystem& fs = FileSystem::real());

// The complete byte images the savers write.
std::vector<uint8_t> recordingFileImage(const RecordingBundle& doc, int first, int last);
std::vector<uint8_t> settingsFileImage(const RecordingBundle& doc);

// Size estimates in bytes for the saving progress gauge.
int64_t recordingFileEstimate(const RecordingBundle& doc, int first, int last);
constexpr int64_t SettingsFileEstimate = 613;

}  // namespace vode
