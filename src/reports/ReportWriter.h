// Writing one report: into a new file (Save) or appended to an existing one
// (Log, numbered +Log001, +Log002, ...).
#pragma once

#include <string>

#include "formats/FileSystem.h"
#include "reports/LogCounter.h"
#include "reports/ReportKind.h"
#include "reports/ReportOptions.h"

namespace vode {

struct AnalysisResults;
struct RecordingBundle;
class Prompter;

// Refusals, returned instead of an I/O code; the caller shows their text.
constexpr int ReportNoData = -1;      // no recording
constexpr int ReportNoAnalysis = -2;  // no tags, phases, spectra or averages
constexpr int ReportBadChannel = -3;  // the channel is not in the recording

// "No Data", "No Analysis", "Invalid channel", or the I/O error's text.
std::string ReportErrorText(int code);

// 0 when a report of the channel can be written, else a refusal code.
int CheckReportData(const RecordingBundle& doc, const AnalysisResults& results, int channel);

// The report's title line, header and body, without any log line.
// 0, or a refusal code with text left empty.
// The inputs are only read: anything a body needs beyond the results (the
// flow bins) is computed here first.
int ReportText(const RecordingBundle& doc, const AnalysisResults& results, ReportKind kind,
               const ReportOptions& options, Prompter& prompter, std::string& text);

// Save (append false): writes path through a temporary file, so a failed save
// leaves any previous file as it was; on success the counter is reset to 0
// and its label to "000". Log (append true): the file must exist (unless the
// counter numbers from the file); appends two line breaks, the next log line
// and the report, all or nothing (appendFileAtomically), and then moves the
// counter. Returns 0, a refusal code, or the first I/O error code; a Log that
// fails leaves the file and the counter as they were.
int WriteReport(const RecordingBundle& doc, const AnalysisResults& results, const std::string& path, ReportKind kind,
                bool append, const ReportOptions& options, LogCounter& counter, Prompter& prompter,
                FileSystem& fs = FileSystem::real());

}  // namespace vode
