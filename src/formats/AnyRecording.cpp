#include "formats/AnyRecording.h"

#include <sndfile.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "formats/BlockFile.h"
#include "formats/FileErrors.h"
#include "formats/OpenFile.h"
#include "formats/Wav.h"
#include "model/Bytes.h"
#include "model/Prompter.h"
#include "model/RecordingBundle.h"

namespace vode {

namespace {

// The depth of the samples as stored; codings that keep none give 0.
int sampleBits(int format) {
  switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW:
    case SF_FORMAT_DPCM_8: return 8;
    case SF_FORMAT_IMA_ADPCM:
    case SF_FORMAT_MS_ADPCM:
    case SF_FORMAT_VOX_ADPCM: return 4;
    case SF_FORMAT_DWVW_12: return 12;
    case SF_FORMAT_PCM_16:
    case SF_FORMAT_DWVW_16:
    case SF_FORMAT_DPCM_16:
    case SF_FORMAT_ALAC_16: return 16;
    case SF_FORMAT_ALAC_20: return 20;
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_DWVW_24:
    case SF_FORMAT_ALAC_24: return 24;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_ALAC_32: return 32;
    case SF_FORMAT_DOUBLE: return 64;
    default: return 0;
  }
}

std::string secondsText(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", seconds);
  return text;
}

bool startsWithBlockMagic(const std::string& path, FileSystem& fs) {
  std::vector<uint8_t> head;
  return fs.readPrefix(path, 4, head) == 0 && head.size() == 4 && getU32(head.data()) == BlockFileMagic;
}

bool isCanonicalWav(const std::string& path, FileSystem& fs) {
  std::vector<uint8_t> head;
  return fs.readPrefix(path, WavHeaderSize, head) == 0 && head.size() == WavHeaderSize &&
         wavHeaderUsable(head.data());
}

int readResampled(RecordingBundle& doc, const std::string& path, const SoundFileFormat& format, Prompter& prompter,
                  ImportedFrom* from) {
  ResampleSummary summary;
  std::string error;
  if (!resampleImport(doc, path, summary, error)) {
    prompter.message(MessageKind::Error, error);
    return doc.state.ioError = ErrFormat;
  }
  warnAboutResampling(path, summary, prompter);
  if (from) {
    from->resampled = true;
    from->source = format;
    from->summary = summary;
  }
  return doc.state.ioError = 0;
}

}  // namespace

std::string resampledFromText(const ImportedFrom& from) {
  if (!from.resampled) return {};
  const SoundFileFormat& f = from.source;
  std::string text = "Resampled from " + std::to_string(f.rate) + " Hz, ";
  if (f.bits > 0) text += std::to_string(f.bits) + "-bit, ";
  return text + std::to_string(f.channels) + (f.channels == 1 ? " channel" : " channels");
}

void warnAboutResampling(const std::string& path, const ResampleSummary& summary, Prompter& prompter) {
  if (summary.mendedDataBytes >= 0)
    prompter.message(MessageKind::Warning, path + ": the header's data size is wrong; the " +
                                               std::to_string(summary.mendedDataBytes) + " bytes present were read");
  if (summary.heldSeconds >= 0)
    prompter.message(MessageKind::Warning, path + " holds less than its header says: only the " +
                                               secondsText(summary.heldSeconds) + " s it holds were kept");
  if (summary.cut)
    prompter.message(MessageKind::Warning, path + " is longer than 180 s: only the first 180 s were kept");
  if (summary.droppedSamples > 0)
    prompter.message(MessageKind::Warning,
                     path + " ends part-way through a 0.1 s segment: " + droppedTailText(summary.droppedSamples));
}

bool probeSoundFile(const std::string& path, SoundFileFormat& format, FileSystem& fs) {
  if (!fs.status(path).regular) return false;
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file) return false;
  sf_close(file);
  format.rate = info.samplerate;
  format.bits = sampleBits(info.format);
  format.channels = info.channels;
  return true;
}

std::vector<std::string> recordingExtensions() {
  std::vector<std::string> extensions = {"mer", "bin", "dat", "wav"};
  const auto add = [&](const std::string& ext) {
    if (!ext.empty() && std::find(extensions.begin(), extensions.end(), ext) == extensions.end())
      extensions.push_back(ext);
  };
  int count = 0;
  sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
  for (int i = 0; i < count; ++i) {
    SF_FORMAT_INFO info{};
    info.format = i;
    if (sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &info, sizeof info) != 0 || !info.extension) continue;
    const std::string ext = info.extension;
    // A headerless file says nothing of its format: libsndfile cannot open it unaided.
    if ((info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_RAW) continue;
    add(ext);
    if (ext == "aiff") add("aif"), add("aifc");
    if (ext == "oga") add("ogg"), add("opus");
    if (ext == "m1a") add("mp3"), add("mp2");
  }
  return extensions;
}

namespace {

enum class Route { Extension, Wav, Resample };

Route routeOf(const std::string& path, FileSystem& fs, SoundFileFormat& format) {
  const std::string ext = upperExtension(path);
  if (ext == ".MER" || ext == ".BIN" || ext == ".DAT") return Route::Extension;
  if (ext == ".WAV" && isCanonicalWav(path, fs)) return Route::Wav;
  if (startsWithBlockMagic(path, fs)) return Route::Extension;
  return probeSoundFile(path, format, fs) ? Route::Resample : Route::Extension;
}

}  // namespace

bool readsBeforeReplacing(const std::string& path, FileSystem& fs) {
  SoundFileFormat format;
  return routeOf(path, fs, format) != Route::Extension;
}

int readAnyRecording(RecordingBundle& doc, const std::string& path, Prompter& prompter, ProgressSink& progress,
                     FileSystem& fs, ImportedFrom* from) {
  if (from) *from = ImportedFrom{};
  SoundFileFormat format;
  if (routeOf(path, fs, format) == Route::Resample) return readResampled(doc, path, format, prompter, from);
  return readByExtension(doc, path, prompter, progress, fs);
}

}  // namespace vode
