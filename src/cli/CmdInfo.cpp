// vode-cli info FILE: what a recording or settings file holds, as one JSON
// object with a fixed set of keys that scripts can rely on.
#include <iostream>

#include "cli/CliInput.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "formats/OpenFile.h"
#include "model/DateText.h"
#include "document/Document.h"

namespace vode::cli {

namespace {

const char* const Usage =
    "Usage: vode-cli info FILE\n\n"
    "Reads FILE (a recording or settings file, or .bin, .wav or .dat by its extension)\n"
    "and prints one JSON object: format, version, counts, channel names,\n"
    "every stored record, the tag table's phase counts and flagged segments, peak\n"
    "flow and volume. Only the volume is computed; offsets are not removed.\n";

void writeSubject(Json& j, const SubjectRecord& s) {
  j.beginObject("subject")
      .value("lastName", s.lastName.str())
      .value("firstName", s.firstName.str())
      .value("id", s.id.str())
      .value("sex", static_cast<int>(s.sex))
      .value("birthDate", formatDate(s.birthDate))
      .value("weight", s.weight)
      .value("height", s.height)
      .value("diagnosis", s.diagnosis.str())
      .value("remarks", s.remarks.str())
      .endObject();
}

void writeLaboratory(Json& j, const LaboratoryRecord& l) {
  j.beginObject("laboratory")
      .value("name", l.name.str())
      .value("address", l.address.str())
      .value("investigator", l.investigator.str())
      .endObject();
}

void writePreferences(Json& j, const PreferencesRecord& p) {
  j.beginObject("preferences")
      .value("waveformTime", p.waveformTime)
      .value("amplitude", p.amplitude)
      .value("sonogramTime", p.sonogramTime)
      .value("frequency", p.frequency)
      .value("flowDisplay", p.flowDisplay)
      .value("dBScale", p.dBScale)
      .value("dBReference", p.dBReference)
      .value("calibrationOffset", p.calibrationOffset)
      .value("calibrationScale", p.calibrationScale)
      .value("backgroundFlowMode", p.backgroundFlowMode)
      .value("backgroundFlowPerKg", p.backgroundFlowPerKg)
      .value("backgroundFlowAbsolute", p.backgroundFlowAbsolute)
      .boolean("analyseOnOpen", p.analyseOnOpen != 0)
      .boolean("flowHoldsPower", p.flowHoldsPower != 0)
      .endObject();
}

void writeChannelSetup(Json& j, const ChannelSetup& c) {
  j.beginObject("channelSetup")
      .value("targetFlowChoice", c.targetFlowChoice)
      .value("targetFlow", c.targetFlow)
      .value("gain", c.gain)
      .value("setupChannelCount", c.setupChannelCount)
      .beginArray("offsetRemoval");
  for (uint8_t flag : c.offsetRemoval) j.boolean("", flag != 0);
  j.endArray().endObject();
}

// Segment counts by phase byte, over the segments the table holds.
void writePhaseCounts(Json& j, const TagTable* tags) {
  long long zero = 0, insp = 0, exp = 0, background = 0, other = 0;
  if (tags && !tags->empty()) {
    for (int s = 0; s < tags->segments(); ++s) {
      switch (tags->phase(s)) {
        case 0: ++zero; break;
        case Inspiration: ++insp; break;
        case Expiration: ++exp; break;
        case Background: ++background; break;
        default: ++other;
      }
    }
  }
  j.beginObject("phaseCounts")
      .value("0", zero)
      .value("1", insp)
      .value("2", exp)
      .value("4", background)
      .value("other", other)
      .endObject();
}

// Per sound channel, the segments carrying any flag.
void writeFlaggedSegments(Json& j, const Document& doc) {
  j.beginArray("flaggedSegments");
  const int channels = doc.recording ? doc.recording->channelCount : 0;
  for (int c = 0; c < channels; ++c) {
    long long count = 0;
    if (doc.tagTable)
      for (int s = 0; s < doc.tagTable->segments(); ++s) count += doc.tagTable->flags(c, s) != 0;
    j.value("", count);
  }
  j.endArray();
}

// The format as the reader was chosen: by extension, anything else being a
// block file (a recording, or a settings file when it holds none).
std::string formatName(const std::string& path, const Document& doc) {
  const std::string ext = upperExtension(path);
  if (ext == ".WAV") return "wav";
  if (ext == ".BIN") return "bin";
  if (ext == ".DAT") return "dat";
  return doc.recording ? "mer" : "set";
}

void writeInfo(std::ostream& out, const std::string& path, const Document& doc) {
  const Recording* rec = doc.recording.get();
  const std::string format = formatName(path, doc);
  const bool blockFile = format == "mer" || format == "set";
  Json j(out);
  j.beginObject()
      .value("format", format)
      .value("version", blockFile ? doc.state.fileVersion : 0)
      .value("channels", rec ? rec->channelCount : 0)
      .value("segments", rec ? rec->segmentCount : 0)
      .value("samplesPerChannel", rec ? rec->soundSampleCount : 0);
  j.beginArray("channelNames");
  for (const auto& name : doc.channelSetup.channelNames) j.value("", name.str());
  j.endArray().value("airflowKind", doc.channelSetup.airflowKind);
  writeSubject(j, doc.subject);
  writeLaboratory(j, doc.laboratory);
  writePreferences(j, doc.preferences);
  writeChannelSetup(j, doc.channelSetup);
  j.beginObject("analysisParameters")
      .value("breaths", doc.analysisParameters.breaths)
      .value("inspTags", doc.analysisParameters.inspTags)
      .value("expTags", doc.analysisParameters.expTags)
      .endObject();
  j.boolean("tagTable", doc.tagTable && !doc.tagTable->empty());
  writePhaseCounts(j, doc.tagTable.get());
  writeFlaggedSegments(j, doc);
  j.value("peakFlow", rec ? rec->peakFlow : 0)
      .value("peakVolume", rec ? rec->peakVolume : 0)
      .value("commentsLength", static_cast<long long>(doc.comments.size()))
      .endObject();
  out << "\n";
}

}  // namespace

int cmdInfo(const Arguments& args) {
  if (printHelpIfAsked(args, Usage)) return ExitOk;
  ParsedArgs parsed;
  std::string error;
  if (!parseArgs(args, {}, parsed, error)) return usageError(error, Usage);
  if (parsed.positional.size() != 1) return usageError("info needs exactly one FILE", Usage);

  Document doc;
  StderrPrompter prompter;
  if (readInputFile(doc, parsed.positional[0], prompter) != 0) return ExitFileError;
  doc.computeVolume();
  writeInfo(std::cout, parsed.positional[0], doc);
  return ExitOk;
}

}  // namespace vode::cli
