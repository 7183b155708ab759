#include "reports/TidyTable.h"

#include <algorithm>
#include <charconv>

#include "analysis/AnalysisResults.h"
#include "analysis/Averages.h"
#include "model/ExportText.h"
#include "model/RecordingBundle.h"

namespace vode {

namespace {

constexpr int PeakLowestBin = 100 / BinWidth;

// "%.<decimals>f" in the C locale's form, whatever locale the process runs
// under (the window's follows the user's).
void appendFixed(std::string& out, double value, int decimals) {
  char buf[64];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  out.append(buf, ec == std::errc() ? end : buf);
}

void appendFlag(std::string& out, uint8_t flags, uint8_t bit) {
  out += ',';
  out += (flags & bit) ? '1' : '0';
}

const char* phaseLetter(uint8_t phase) {
  switch (phase) {
    case Inspiration: return "I";
    case Expiration: return "E";
    case Background: return "B";
    default: return "";
  }
}

// Bin of the strongest power from 100 Hz up to below maxFrequency; -1 when
// every bin there is silent.
int peakBin(const float* power, int maxFrequency) {
  const int last = std::min(maxFrequency / BinWidth, BinCount) - 1;
  int best = -1;
  float bestPower = 0.0f;
  for (int b = PeakLowestBin; b <= last; ++b)
    if (power[b] > bestPower) {
      bestPower = power[b];
      best = b;
    }
  return best;
}

}  // namespace

std::vector<TableBand> octaveTableBands() {
  std::vector<TableBand> bands;
  for (int k = 0; k < 6; ++k) bands.push_back({75 << k, 150 << k});
  return bands;
}

std::string tidyTableHeader(const std::vector<TableBand>& bands) {
  std::string header =
      "file,channel,channel_name,segment,time_s,phase,rejected,clipped,wheeze,crackle,flow_L_s,volume_L";
  for (const TableBand& band : bands)
    header += ",power_dB_" + std::to_string(band.low) + "_" + std::to_string(band.high);
  return header + ",peak_hz\n";
}

void appendTidyTableRows(std::string& out, const std::string& fileName, const RecordingBundle& doc,
                         const AnalysisResults& results, const std::vector<TableBand>& bands, int maxFrequency) {
  const SegmentSpectra* spectra = results.spectra.get();
  const PhaseTable* phases = results.phaseTable.get();
  const TagTable* tags = doc.tagTable.get();
  if (!doc.recording || !spectra || !spectra->hasPower() || !phases || !tags || tags->empty()) return;
  const int channels = std::min<int>(doc.recording->channelCount, spectra->channelCount);
  const int segments = std::min({doc.recording->segmentCount, spectra->segmentCount, tags->segments()});
  const bool resp = doc.isResp();
  const std::string file = csvField(asUtf8(fileName));

  std::vector<std::vector<float>> levels(bands.size());
  for (int c = 0; c < channels; ++c) {
    for (std::size_t k = 0; k < bands.size(); ++k)
      bandPowerLevels(*spectra, results.averages.get(), c, bands[k].low, bands[k].high, levels[k]);
    const std::string channelStart = file + "," + std::to_string(c + 1) + "," +
                                     csvField(asUtf8(doc.channelSetup.channelNames[c].str())) + ",";
    for (int s = 0; s < segments; ++s) {
      out += channelStart;
      out += std::to_string(s);
      out += ',';
      out += std::to_string(s / 10);
      out += '.';
      out += static_cast<char>('0' + s % 10);
      out += ',';
      out += phaseLetter(tags->phase(s));
      const uint8_t flags = tags->flags(c, s);
      appendFlag(out, flags, Rejected);
      appendFlag(out, flags, Clipped);
      appendFlag(out, flags, Wheeze);
      appendFlag(out, flags, CrFlag);
      out += ',';
      appendFixed(out, phases->segmentFlowAt(s), 3);
      out += ',';
      if (!resp) appendFixed(out, s <= phases->lastSegment ? phases->runningVolume[s] : 0.0f, 3);
      for (const std::vector<float>& level : levels) {
        out += ',';
        appendFixed(out, level[s], 2);
      }
      out += ',';
      const int peak = peakBin(spectra->power(c, s), maxFrequency);
      if (peak >= 0) out += std::to_string(peak * BinWidth);
      out += '\n';
    }
  }
}

int writeTidyTable(const std::string& path, const std::string& fileName, const RecordingBundle& doc,
                   const AnalysisResults& results, const std::vector<TableBand>& bands, int maxFrequency,
                   FileSystem& fs) {
  std::string text = tidyTableHeader(bands);
  appendTidyTableRows(text, fileName, doc, results, bands, maxFrequency);
  return writeFileAtomically(fs, path, [&](OutputFile& file) { return file.write(text.data(), text.size()); });
}

}  // namespace vode
