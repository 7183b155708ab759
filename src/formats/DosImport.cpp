#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "formats/ByteReader.h"
#include "formats/DosCodec.h"
#include "formats/DosDat.h"
#include "formats/DosLayout.h"
#include "formats/FileErrors.h"
#include "model/RecordingBundle.h"
#include "model/Numeric.h"
#include "model/Progress.h"
#include "model/Prompter.h"

namespace vode {

namespace {

struct DosHeader {
  int16_t zeroLevel = dos::MidValue;  // channel 2's; mid-scale when no calibration is stored
  bool segmentLists = false;
  std::string nameA, nameB;
  uint32_t dataOffset = 0;
  std::string subjectName, subjectId, diagnosis;
  std::string studyName, equipment, measurements;
  bool flowFlag = false;
  bool invert = false;
  double scale = 0.0;
};

struct DataSection {
  int first = 0, last = 0;
  int segments = 0;
  uint16_t rate = 0;
  std::array<int16_t, 4> groups{};
};

// A text stored as a length byte and `capacity` bytes.
std::string pascalText(const uint8_t* p, std::size_t capacity) {
  return std::string(reinterpret_cast<const char*>(p + 1), std::min<std::size_t>(p[0], capacity));
}

// Tag 1's payload is skipped: its meaning is not needed, only its length.
void skipTag1(ByteReader& in) {
  uint16_t n = in.u16();
  const bool secondForm = n > 255;
  if (secondForm) n -= 256;
  in.skip(n);
  const uint16_t m = in.u16();
  if (m == 0) return;
  if (!secondForm) {
    in.skip(std::size_t{m} * 16);
    return;
  }
  std::vector<int16_t> kinds;
  if (in.remaining() < std::size_t{m} * 4) {
    in.skip(std::size_t{m} * 4);
    return;
  }
  kinds.reserve(m);
  for (int e = 0; e < m; ++e) {
    in.u16();
    kinds.push_back(in.i16());
  }
  for (int16_t kind : kinds) in.skip(kind > 3 ? 26 : 14);
}

void readTaggedRecords(ByteReader& in, DosHeader& h) {
  while (in.ok()) {
    const uint16_t tag = in.u16();
    switch (tag) {
      case dos::TagEnd: return;
      case 1: skipTag1(in); break;
      case 2: in.skip(1); break;
      case 3: in.skip(22); break;
      case 4: {
        in.skip(7);
        const uint16_t count = in.u16();
        in.skip(std::size_t{count} * 4);
        break;
      }
      case dos::TagCalibration:
        if (const uint8_t* p = in.take(dos::CalibrationSize))
          h.zeroLevel = getI16(p + dos::CalibrationEntry + dos::ZeroLevelOffset);
        break;
      case 6: in.skip(8); break;
      case 7: in.skip(2); break;
      case dos::TagSegmentLists: h.segmentLists = true; break;
      case dos::TagSoundNames:
        if (const uint8_t* p = in.take(dos::SoundNamesSize)) {
          h.nameA = pascalText(p, dos::SoundNameCapacity);
          h.nameB = pascalText(p + 1 + dos::SoundNameCapacity, dos::SoundNameCapacity);
        }
        break;
      default: break;  // no payload
    }
  }
}

void readFixedBlocks(ByteReader& in, DosHeader& h) {
  h.dataOffset = in.u32();
  if (const uint8_t* p = in.take(dos::SubjectSize)) {
    h.subjectName = pascalText(p + dos::SubjectName, dos::SubjectNameCapacity);
    h.subjectId = pascalText(p + dos::SubjectId, dos::SubjectIdCapacity);
    h.diagnosis = pascalText(p + dos::SubjectDiagnosis, dos::SubjectDiagnosisCapacity);
  }
  if (const uint8_t* p = in.take(dos::StudySize)) {
    h.studyName = pascalText(p + dos::StudyName, dos::StudyNameCapacity);
    h.equipment = pascalText(p + dos::StudyEquipment, dos::StudyEquipmentCapacity);
    h.measurements = pascalText(p + dos::StudyMeasurements, dos::StudyMeasurementsCapacity);
  }
  in.u16();  // the header's sample rate; the data section's is the one used
  in.skip(dos::ChannelLabelsSize + dos::UnusedAfterLabels);
  if (const uint8_t* p = in.take(dos::BreathConversionSize)) {
    h.flowFlag = p[0] != 0;
    h.invert = p[1] != 0;
    h.scale = getF64(p + 2);
  }
  in.skip(dos::UnusedAfterConversion);
}

// Reads the data section up to the group lengths; 0, 100 or 201 for a
// negative record count.
int readDataSection(ByteReader& in, const DosHeader& h, DataSection& d) {
  in.skip(dos::ChannelTableSize);
  d.first = in.i16();
  d.last = in.i16();
  d.segments = in.i16();
  d.rate = in.u16();
  const int16_t c1 = in.i16();
  const int16_t c2 = in.i16();
  if (c1 < 0 || c2 < 0) return ErrFormat;
  in.skip((std::size_t{static_cast<uint16_t>(c1)} + static_cast<uint16_t>(c2)) * dos::ListRecordSize);
  const int16_t c3 = in.i16();
  if (c3 < 0) return ErrFormat;
  in.skip(std::size_t{static_cast<uint16_t>(c3)} * dos::ThirdListRecordSize);
  if (h.segmentLists) {
    const int16_t d1 = in.i16();
    const int16_t d2 = in.i16();
    if (d1 < 0 || d2 < 0) return ErrFormat;
    in.skip((std::size_t{static_cast<uint16_t>(d1)} + static_cast<uint16_t>(d2)) * 2);
  }
  for (int16_t& g : d.groups) g = in.i16();
  return in.ok() ? 0 : ErrShortRead;
}

// The section must describe something the decoder can fill without passing
// a segment's end: channels 1..4 ending on a sound channel, 1 to 1800
// segments, and group lengths that divide a segment's values exactly.
bool sectionIsUsable(const DataSection& d, bool upsample) {
  if (d.last < 3 || d.last > 4 || d.first < 1 || d.first > d.last) return false;
  if (d.segments < 1 || d.segments > MaxSegments) return false;
  for (int j = d.first; j <= d.last; ++j) {
    const int g = d.groups[j - 1];
    const int outputsPerValue = (j >= 3 && upsample) ? 2 : 1;
    if (g < 1 || dos::valuesPerSegment(j) % (g * outputsPerValue) != 0) return false;
  }
  return true;
}

// "\rStudy name = ...", cut after each piece as the study texts were always
// shown, at most 129 characters in all.
std::string studyRemarks(const DosHeader& h) {
  std::string r;
  auto add = [&r](const std::string& piece, std::size_t limit) {
    r += piece;
    if (r.size() > limit) r.resize(limit);
  };
  add("\rStudy name = ", 28);
  add(h.studyName, 28);
  add("\r", 29);
  add("      equipment = ", 47);
  add(h.equipment, 77);
  add("\r", 78);
  add("      measurements = ", 99);
  add(h.measurements, 129);
  return r;
}

// The fewest words the data section can take: every group holds at least its
// head, its base and one packed word.
std::size_t leastWords(const DataSection& d, bool upsample) {
  std::size_t perSegment = 0;
  for (int j = d.first; j <= d.last; ++j) {
    const int outputsPerValue = (j >= 3 && upsample) ? 2 : 1;
    perSegment += static_cast<std::size_t>(dos::valuesPerSegment(j) / (d.groups[j - 1] * outputsPerValue)) * 3;
  }
  return perSegment * static_cast<std::size_t>(d.segments);
}

class Decoder {
 public:
  Decoder(const DosHeader& h, const DataSection& d, bool upsample, Recording& r)
      : h_(h), d_(d), upsample_(upsample), r_(r) {}

  // 0, or 201 when the stream ends early or a flow value has no 16-bit form.
  int segment(int s, DosWordStream& in) {
    std::vector<uint16_t> values;
    for (int j = d_.first; j <= d_.last; ++j) {
      const int g = d_.groups[j - 1];
      values.resize(static_cast<std::size_t>(g));
      int written = 0;  // outputs of this channel in this segment
      while (written < dos::valuesPerSegment(j)) {
        if (!decodeDosGroup(in, g, values.data())) return ErrFormat;
        for (uint16_t v : values)
          if (!put(j, s, written, v)) return ErrFormat;
      }
    }
    return 0;
  }

 private:
  bool put(int channel, int s, int& written, uint16_t v) {
    if (channel == 1) {  // the low-rate copy of a sound channel is not kept
      ++written;
      return true;
    }
    if (channel == 2) return flow(r_.flow[static_cast<std::size_t>(s) * SegmentFlowSamples + written++], v);
    const int slot = channel - 3;
    int16_t* out = r_.sound[slot].data() + static_cast<std::size_t>(s) * SegmentSamples;
    // 12-bit counts centred on 2048 become 16-bit counts.
    const int16_t x = wrap16((static_cast<int32_t>(v) - dos::MidValue) * 16);
    if (upsample_) {
      if (!started_[slot]) previous_[slot] = x;
      started_[slot] = true;
      out[written++] = static_cast<int16_t>((previous_[slot] + x) / 2);
      previous_[slot] = x;
    }
    out[written++] = x;
    return true;
  }

  bool flow(int16_t& out, uint16_t v) {
    // The acquisition program kept its counts in signed 16-bit words.
    const int32_t count = static_cast<int16_t>(v);
    const int32_t d = h_.invert ? h_.zeroLevel - count : count - h_.zeroLevel;
    if (!h_.flowFlag) {
      out = wrap16(d * 16);  // a respiration band keeps its counts, scaled up
      return true;
    }
    const double f = roundEvenD(d * dos::FlowStep * h_.scale);
    if (!(f >= -32768.0 && f <= 32767.0)) return false;
    out = static_cast<int16_t>(f);
    return true;
  }

  const DosHeader& h_;
  const DataSection& d_;
  bool upsample_;
  Recording& r_;
  std::array<bool, 2> started_{false, false};
  std::array<int16_t, 2> previous_{0, 0};
};

}  // namespace

int importDos(RecordingBundle& doc, const std::string& path, Prompter& prompter, ProgressSink& progress, FileSystem& fs) {
  doc.reset();
  int& ioError = doc.state.ioError;
  std::vector<uint8_t> bytes;
  ioError = readBoundedFile(fs, path, MaxImportFileBytes, bytes);
  if (ioError != 0) return ioError;
  ByteReader in(bytes.data(), bytes.size());

  const uint32_t magic = in.u32();
  const uint16_t version = in.u16();
  if (!in.ok()) return ioError = ErrShortRead;
  if (magic != DosMagic || version != dos::Version) return ioError = ErrFormat;

  DosHeader h;
  readTaggedRecords(in, h);
  readFixedBlocks(in, h);
  if (!in.ok()) return ioError = ErrShortRead;
  if (h.dataOffset > bytes.size()) return ioError = ErrFormat;
  in.seek(h.dataOffset);
  DataSection d;
  if ((ioError = readDataSection(in, h, d)) != 0) return ioError;

  bool upsample = false;
  if (d.rate == 5120) {
    prompter.message(MessageKind::Information, "5120 Hz file will be upsampled to 10240 Hz");
    upsample = true;
  } else if (d.rate != SoundRate) {
    prompter.message(MessageKind::Error, "Unable to load " + std::to_string(d.rate) + " Hz file");
    return ioError = ErrFormat;
  }
  if (!sectionIsUsable(d, upsample)) return ioError = ErrFormat;
  const bool hasBreath = d.first <= 2;
  if (hasBreath && h.flowFlag && !std::isfinite(h.scale)) return ioError = ErrFormat;

  DosWordStream stream(bytes.data() + in.position(), in.remaining());
  // A header promising more segments than the file holds would otherwise
  // have the whole recording allocated and cleared before the stream ran out.
  if (stream.remaining() < leastWords(d, upsample)) return ioError = ErrFormat;
  // A file starting at channel 3 has no breath signal: its flow stays zero.
  Recording r = Recording::create(d.segments, d.last - 2);
  Decoder decoder(h, d, upsample, r);
  progress.begin("Loading file...", d.segments);
  for (int s = 0; s < d.segments && ioError == 0; ++s) {
    ioError = decoder.segment(s, stream);
    progress.set(s + 1);
  }
  progress.end();
  if (ioError != 0) return ioError;

  ChannelSetup& setup = doc.channelSetup;
  setup.channelNames[0] = h.nameA.empty() ? std::string("Sound A") : h.nameA;
  setup.channelNames[1] = (d.last == 4 && h.nameB.empty()) ? std::string("Sound B") : h.nameB;
  // The name holds "last, first" as one text.
  doc.subject.lastName = h.subjectName;
  doc.subject.id = h.subjectId;
  doc.subject.diagnosis = h.diagnosis;
  doc.subject.remarks = studyRemarks(h);
  doc.recording = std::make_unique<Recording>(std::move(r));
  return ioError;
}

}  // namespace vode
