#include <algorithm>
#include <vector>

#include "formats/DosCodec.h"
#include "formats/DosDat.h"
#include "formats/DosLayout.h"
#include "formats/FileErrors.h"
#include "model/Bytes.h"
#include "model/RecordingBundle.h"
#include "model/Prompter.h"

namespace vode {

namespace {

class ByteImage {
 public:
  std::vector<uint8_t> bytes;

  void u8(uint8_t v) { bytes.push_back(v); }
  void u16(uint16_t v) {
    u8(static_cast<uint8_t>(v));
    u8(static_cast<uint8_t>(v >> 8));
  }
  void i16(int16_t v) { u16(static_cast<uint16_t>(v)); }
  void u32(uint32_t v) {
    u16(static_cast<uint16_t>(v));
    u16(static_cast<uint16_t>(v >> 16));
  }
  void f64(double v) {
    uint8_t b[8];
    putF64(b, v);
    bytes.insert(bytes.end(), b, b + 8);
  }
  void zeros(std::size_t n) { bytes.insert(bytes.end(), n, 0); }
  // A length byte and `capacity` bytes, the text cut to fit.
  void text(const std::string& s, std::size_t capacity) {
    const std::size_t n = std::min(s.size(), capacity);
    u8(static_cast<uint8_t>(n));
    bytes.insert(bytes.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n));
    zeros(capacity - n);
  }
};

uint16_t limit12(int32_t v) { return static_cast<uint16_t>(std::clamp(v, 0, dos::MaxValue)); }

// 16-bit counts to 12-bit counts centred on 2048.
uint16_t soundValue(int16_t sample) { return limit12((static_cast<int32_t>(sample) + 32768) / 16); }

// mL/s to steps of 10 mL/s around 2048; the division truncates toward zero.
uint16_t flowValue(int16_t flow) { return limit12(flow / 10 + dos::MidValue); }

std::string subjectName(const SubjectRecord& subject) {
  const std::string last = subject.lastName.str(), first = subject.firstName.str();
  if (last.empty() || first.empty()) return last + first;
  return last + ", " + first;
}

bool validChannel(const Recording& r, int c) { return c >= 0 && c < r.channelCount && r.hasSamples(c); }

void writeHeader(ByteImage& out, const RecordingBundle& doc, const std::string& nameA, const std::string& nameB) {
  out.u32(DosMagic);
  out.u16(dos::Version);

  // Every channel's calibration has its zero at mid-scale; the reader uses
  // channel 2's for the flow.
  out.u16(dos::TagCalibration);
  for (int entry = 0; entry < 4; ++entry) {
    out.zeros(dos::ZeroLevelOffset);
    out.i16(dos::MidValue);
    out.zeros(dos::CalibrationEntry - dos::ZeroLevelOffset - 2);
  }
  out.u16(dos::TagSoundNames);
  out.text(nameA, dos::SoundNameCapacity);
  out.text(nameB, dos::SoundNameCapacity);
  out.u16(dos::TagEnd);

  const std::size_t offsetField = out.bytes.size();
  out.u32(0);  // the data offset, filled in below

  const SubjectRecord& subject = doc.subject;
  out.text(subjectName(subject), dos::SubjectNameCapacity);
  out.zeros(2);
  out.text(subject.id.str(), dos::SubjectIdCapacity);
  out.text(subject.diagnosis.str(), dos::SubjectDiagnosisCapacity);
  out.zeros(dos::StudySize);
  out.u16(static_cast<uint16_t>(SoundRate));
  out.zeros(dos::ChannelLabelsSize + dos::UnusedAfterLabels);
  out.u8(doc.channelSetup.airflowKind == 1 ? 0 : 1);  // flow flag: pneumotachograph
  out.u8(0);                                           // invert
  out.f64(dos::WrittenScale);
  out.f64(0.0);
  out.zeros(dos::UnusedAfterConversion);
  putU32(out.bytes.data() + offsetField, static_cast<uint32_t>(out.bytes.size()));
}

}  // namespace

int writeDosFile(const RecordingBundle& doc, const std::string& path, int aux, int soundA, int soundB, FileSystem& fs) {
  if (!doc.recording) return 0;
  const Recording& r = *doc.recording;
  if (!validChannel(r, soundA) || (aux != -1 && !validChannel(r, aux)) ||
      (soundB != -1 && !validChannel(r, soundB)) || r.segmentCount < 1)
    return ErrFormat;

  const int first = aux >= 0 ? 1 : 2;
  const int last = soundB >= 0 ? 4 : 3;
  const auto& names = doc.channelSetup.channelNames;

  ByteImage out;
  writeHeader(out, doc, names[soundA].str(), soundB >= 0 ? names[soundB].str() : std::string());

  out.zeros(dos::ChannelTableSize);
  out.i16(static_cast<int16_t>(first));
  out.i16(static_cast<int16_t>(last));
  out.i16(static_cast<int16_t>(r.segmentCount));
  out.u16(static_cast<uint16_t>(SoundRate));
  out.zeros(3 * 2);  // no list records: c1, c2, c3 are 0
  for (int16_t g : dos::WrittenGroups) out.i16(g);

  std::vector<uint16_t> words;
  std::vector<uint16_t> values(SegmentSamples);
  for (int32_t s = 0; s < r.segmentCount; ++s) {
    const std::size_t soundStart = static_cast<std::size_t>(s) * SegmentSamples;
    for (int j = first; j <= last; ++j) {
      const int count = dos::valuesPerSegment(j);
      for (int i = 0; i < count; ++i) {
        switch (j) {
          case 1: values[i] = soundValue(r.sound[aux][soundStart + 32 * static_cast<std::size_t>(i)]); break;
          case 2: values[i] = flowValue(r.flow[static_cast<std::size_t>(s) * SegmentFlowSamples + i]); break;
          case 3: values[i] = soundValue(r.sound[soundA][soundStart + i]); break;
          default: values[i] = soundValue(r.sound[soundB][soundStart + i]); break;
        }
      }
      const int g = dos::WrittenGroups[j - 1];
      for (int k = 0; k < count; k += g) encodeDosGroup(values.data() + k, g, words);
    }
  }
  out.bytes.reserve(out.bytes.size() + 2 * words.size());
  for (uint16_t w : words) out.u16(w);
  return writeFileAtomically(fs, path, out.bytes);
}

int DosExport(const RecordingBundle& doc, const std::string& path, Prompter& prompter, FileSystem& fs) {
  if (!doc.recording) return 0;
  const int channels = doc.recording->channelCount;
  if (channels > 2) {
    prompter.message(MessageKind::Error, "Choose the DOS channels of a recording with more than two channels");
    return ErrFormat;
  }
  return writeDosFile(doc, path, -1, 0, channels == 2 ? 1 : -1, fs);
}

std::string dosExportPrefix(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = path.find('.', nameStart);
  return dot == std::string::npos ? path : path.substr(0, dot);
}

std::string dosExportPostfix(int aux, int soundA, int soundB) {
  return std::to_string(aux) + std::to_string(soundA) + std::to_string(soundB);
}

int writeDosExportRows(const RecordingBundle& doc, const std::string& prefix, const DosExportRows& rows,
                       Prompter& prompter, FileSystem& fs) {
  for (const DosExportRow& row : rows) {
    if (row.soundA <= 0) continue;
    const std::string name = prefix + row.postfix.str() + ".dat";
    if (!mayOverwrite(fs, prompter, name)) continue;
    const int code = writeDosFile(doc, name, row.aux - 1, row.soundA - 1, row.soundB - 1, fs);
    if (code != 0) {
      prompter.message(MessageKind::Warning, "Unable to save " + name + "... " + FileErrorText(code));
      return code;
    }
  }
  return 0;
}

}  // namespace vode
