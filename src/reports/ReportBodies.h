// The parts of a report: the common header and the body of each kind. Each
// writes into the builder; the caller has checked that the document holds a
// recording, its analysis and the chosen channel.
#pragma once

#include "reports/ReportBuilder.h"
#include "reports/ReportKind.h"

namespace vode {

struct AnalysisResults;
struct FlowBinTable;
struct RecordingBundle;
class PhaseTable;
class Prompter;

void writeReportHeader(ReportBuilder& out, const RecordingBundle& doc, const AnalysisResults& results);

// Kind 0.
void writeOverallAveragesBody(ReportBuilder& out, const AnalysisResults& results);
// Kinds 1, 4 and 5.
void writeSegmentTableBody(ReportBuilder& out, const RecordingBundle& doc, const AnalysisResults& results, ReportKind kind);
// Kind 2.
void writeBreathAveragesBody(ReportBuilder& out, const AnalysisResults& results);
// Kind 3.
void writeOctaveBandsBody(ReportBuilder& out, const RecordingBundle& doc, const AnalysisResults& results);
// Kind 6: the flow-binned table of the report's channel.
void writeFlowPowerBody(ReportBuilder& out, const AnalysisResults& results, const FlowBinTable& bins);
// Kind 7; the summary may warn through the prompter.
void writeSummaryBody(ReportBuilder& out, const AnalysisResults& results, Prompter& prompter);

// "Frequency band: ..." and "Background reference: ..." of kinds 5 to 7.
void writeBandLines(ReportBuilder& out, const AnalysisResults& results);

// Segments the tables cover: those of the recording that have spectra.
int reportSegmentCount(const RecordingBundle& doc, const AnalysisResults& results);

// The running volume after segment s; 0 for a segment not fed.
float runningVolumeAt(const PhaseTable& phases, int s);

}  // namespace vode
