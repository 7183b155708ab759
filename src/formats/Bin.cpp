#include "formats/Bin.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>
#include <vector>

#include "formats/BufferedOutput.h"
#include "formats/ByteReader.h"
#include "formats/FileErrors.h"
#include "model/DateText.h"
#include "model/RecordingBundle.h"
#include "model/Progress.h"
#include "model/Prompter.h"

namespace vode {

namespace {

constexpr uint16_t TagMarker = 100;
constexpr int16_t EndMarker = -1;

// Text record ids.
constexpr int IdFirstChannelName = 101;
constexpr int IdLastName = 200;
constexpr int IdFirstName = 201;
constexpr int IdId = 202;
constexpr int IdSex = 203;
constexpr int IdBirthDate = 204;
constexpr int IdWeight = 205;
constexpr int IdHeight = 206;
constexpr int IdDiagnosis = 207;
constexpr int IdRemarks = 208;

// "%0.1f", always with a '.': the window runs under the user's locale, whose
// decimal separator must not reach the file (nor decide how it is read).
std::string oneDecimal(float value) {
  char text[64];
  const auto [end, ec] =
      std::to_chars(text, text + sizeof text, static_cast<double>(value), std::chars_format::fixed, 1);
  return ec == std::errc() ? std::string(text, end) : std::string("0.0");
}

void writeTextRecord(BufferedOutput& out, int id, const std::string& text) {
  out.u16(static_cast<uint16_t>(id));
  out.u16(static_cast<uint16_t>(text.size()));
  out.text(text);
}

// A number as the subject dialog would take it (blanks around it and a '+'
// allowed); nothing when the text is not a plain decimal number or gives no
// finite single-precision value, which the background flow would turn into
// an unusable threshold.
bool parseNumber(std::string_view text, float& value) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return false;
  }
  double v = 0.0;
  const char* end = text.data() + text.size();
  const auto [stop, ec] = std::from_chars(text.data(), end, v, std::chars_format::general);
  if (ec != std::errc() || stop != end) return false;
  const float f = static_cast<float>(v);
  if (!std::isfinite(f)) return false;
  value = f;
  return true;
}

bool knownTextRecord(int id) {
  return (id >= IdFirstChannelName && id < IdFirstChannelName + MaxChannelNames) ||
         (id >= IdLastName && id <= IdRemarks);
}

void applyTextRecord(RecordingBundle& doc, int id, const std::string& text) {
  SubjectRecord& subject = doc.subject;
  if (id >= IdFirstChannelName && id < IdFirstChannelName + MaxChannelNames) {
    doc.channelSetup.channelNames[id - IdFirstChannelName] = text;
    return;
  }
  switch (id) {
    case IdLastName: subject.lastName = text; break;
    case IdFirstName: subject.firstName = text; break;
    case IdId: subject.id = text; break;
    case IdSex:
      // "M" is 0 and "F" is 1; any other text leaves the default rather than
      // storing a code the program has no meaning for.
      if (text == "M") subject.sex = 0;
      if (text == "F") subject.sex = 1;
      break;
    case IdBirthDate:
      if (auto days = parseDate(text)) subject.birthDate = *days;
      break;
    case IdWeight: parseNumber(text, subject.weight); break;
    case IdHeight: parseNumber(text, subject.height); break;
    case IdDiagnosis: subject.diagnosis = text; break;
    case IdRemarks: subject.remarks = text; break;
    default: break;
  }
}

}  // namespace

int exportBin(const RecordingBundle& doc, const std::string& path, Prompter& prompter, FileSystem& fs) {
  if (!doc.recording) return 0;
  const Recording& r = *doc.recording;
  const int channels = r.channelCount;
  const int32_t segments = r.segmentCount;
  if (channels < 1 || channels > BinMaxChannels || segments < 1) {
    prompter.message(MessageKind::Error, "BIN files hold 1 to 7 channels and at least one segment");
    return ErrFormat;
  }
  // Without a tag table every tag word is 0, as an empty table would give.
  const TagTable* tags = doc.tagTable && !doc.tagTable->empty() ? doc.tagTable.get() : nullptr;
  const SubjectRecord& subject = doc.subject;

  return writeFileAtomically(fs, path, [&](OutputFile& file) {
    BufferedOutput out(file);
    out.u16(static_cast<uint16_t>(channels));
    out.u16(static_cast<uint16_t>(segments));
    for (int c = 0; c < channels; ++c) {
      out.u16(static_cast<uint16_t>(c + 1));
      out.i16s(r.sound[c].data(), static_cast<std::size_t>(segments) * SegmentSamples);
    }
    out.i16(doc.channelSetup.airflowKind == 1 ? -1 : 0);
    out.i16s(r.flow.data(), static_cast<std::size_t>(segments) * SegmentFlowSamples);
    out.u16(TagMarker);
    for (int32_t s = 0; s < segments; ++s) out.u16(tags ? tags->PackTagWord(s) : 0);

    for (int c = 0; c < channels; ++c) writeTextRecord(out, IdFirstChannelName + c, doc.channelSetup.channelNames[c].str());
    writeTextRecord(out, IdLastName, subject.lastName.str());
    writeTextRecord(out, IdFirstName, subject.firstName.str());
    writeTextRecord(out, IdId, subject.id.str());
    writeTextRecord(out, IdSex, subject.sex == 1 ? "F" : "M");
    writeTextRecord(out, IdBirthDate, formatDate(subject.birthDate));
    writeTextRecord(out, IdWeight, oneDecimal(subject.weight));
    writeTextRecord(out, IdHeight, oneDecimal(subject.height));
    writeTextRecord(out, IdDiagnosis, subject.diagnosis.str());
    writeTextRecord(out, IdRemarks, subject.remarks.str());
    out.i16(EndMarker);
    return out.flush();
  });
}

int importBin(RecordingBundle& doc, const std::string& path, Prompter& prompter, ProgressSink& progress, FileSystem& fs) {
  doc.reset();
  int& ioError = doc.state.ioError;
  std::vector<uint8_t> bytes;
  ioError = readBoundedFile(fs, path, MaxImportFileBytes, bytes);
  if (ioError != 0) return ioError;
  ByteReader in(bytes.data(), bytes.size());

  const int channels = in.u16();
  const int32_t segments = in.u16();
  if (!in.ok()) return ioError = ErrShortRead;
  if (channels == 0 || channels > BinMaxChannels || segments == 0 || segments > MaxSegments) {
    prompter.message(MessageKind::Error, "BIN file format error");
    return ioError = ErrFormat;
  }

  // A few header bytes must not make the recording allocate tens of
  // megabytes: the file has to hold every sample it claims first.
  const std::size_t sampleBytes =
      4 + std::size_t(channels) * (2 + std::size_t(segments) * SegmentSamples * 2) + 2 +
      std::size_t(segments) * SegmentFlowSamples * 2 + 2 + std::size_t(segments) * 2;
  if (bytes.size() < sampleBytes) return ioError = ErrShortRead;

  progress.begin("Loading file...", channels + 2);
  Recording r = Recording::create(segments, channels);
  for (int c = 0; c < channels && in.ok(); ++c) {
    in.u16();  // the channel's number, not needed
    in.i16s(r.sound[c].data(), r.sound[c].size());
    progress.set(c + 1);
  }
  const int16_t airflowMarker = in.i16();
  in.i16s(r.flow.data(), r.flow.size());
  in.u16();  // tag marker
  std::vector<uint16_t> tagWords(static_cast<std::size_t>(segments));
  for (uint16_t& w : tagWords) w = in.u16();
  progress.end();
  if (!in.ok()) return ioError = ErrShortRead;

  doc.recording = std::make_unique<Recording>(std::move(r));
  doc.channelSetup.airflowKind = airflowMarker != 0 ? 1 : 0;
  doc.tagTable = std::make_unique<TagTable>();
  doc.tagTable->create(channels, segments);
  for (int32_t s = 0; s < segments; ++s) doc.tagTable->UnpackTagWord(s, tagWords[s]);

  char name[32];
  for (int c = 0; c < channels; ++c) {
    std::snprintf(name, sizeof name, "Channel %d", c + 1);
    doc.channelSetup.channelNames[c] = name;
  }
  doc.subject.reset();

  // Text records run until the end marker or any other id that is not
  // positive. An unknown positive id cannot be skipped safely (its record
  // may have another shape), so reading stops there and keeps what was read;
  // so does a file that simply ends between two records.
  while (in.remaining() >= 2) {
    const int id = in.i16();
    if (id <= 0 || !knownTextRecord(id)) break;
    const uint16_t length = in.u16();
    const uint8_t* text = in.take(length);
    if (!in.ok()) return ioError = ErrShortRead;
    applyTextRecord(doc, id, length > 0 ? std::string(reinterpret_cast<const char*>(text), length) : std::string());
  }
  return ioError;
}

}  // namespace vode
