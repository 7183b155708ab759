#include "workspace/WindowCommands.h"

#include "formats/FileNames.h"
#include "workspace/Workspace.h"

namespace vode {

namespace {

bool recording(const Workspace& ws) { return ws.document().hasRecording(); }
bool analysed(const Workspace& ws) { return ws.document().spectra != nullptr; }
bool developer(const Workspace& ws) { return ws.developer(); }
const std::string& fileName(const Workspace& ws) { return ws.document().state.currentFileName; }

}  // namespace

void addWindowCommands(CommandTable& t) {
  t.menu("FileMenu", "&File");
  t.entry("FileMenu", "New1", "&New", [](const Workspace& ws) { return ws.acquisitionDevice() != nullptr; });
  t.entry("FileMenu", "Open1", "&Open...", {}, {"Ctrl+O"});
  // Only a recording file takes the whole document back.
  t.entry("FileMenu", "Save1", "&Save",
          [](const Workspace& ws) { return recording(ws) && hasExtension(fileName(ws), ".mer"); }, {"Ctrl+S"});
  t.entry("FileMenu", "SaveAs1", "Save &As...", recording, {"Ctrl+Shift+S"});
  t.entry("FileMenu", "Extract1", "E&xtract...", recording);
  // Breath phases in and out as a label track; the segment table.
  t.entry("FileMenu", "ImportLabels1", "Import Labels...", analysed);
  t.entry("FileMenu", "ExportLabels1", "Export Labels...", analysed);
  t.entry("FileMenu", "ExportTable1", "Export Table...", analysed);
  t.entry("FileMenu", "Close1", "&Close", recording, {"Ctrl+W"});
  t.separator("FileMenu");
  t.entry("FileMenu", "Print1", "&Print...", recording).visible = developer;
  t.entry("FileMenu", "Report1", "&Report...").visible = developer;
  // The channel set-up belongs to new recordings, so it shows with a device.
  t.entry("FileMenu", "ZUZU1", "ZUZU").visible = [](const Workspace& ws) {
    return ws.developer() || ws.acquisitionDevice() != nullptr;
  };
  t.separator("FileMenu", "RecentSeparator").hidden = true;
  for (int i = 1; i <= RecentSlots; ++i) t.entry("FileMenu", QString("Recent%1").arg(i), QString("&%1").arg(i)).hidden = true;
  t.separator("FileMenu");
  t.entry("FileMenu", "Exit1", "E&xit", {}, {"Ctrl+Q"});

  t.menu("EditMenu", "&Edit");
  t.entry("EditMenu", "Undo1", "&Undo", [](const Workspace& ws) { return ws.canUndo(); }, {"Ctrl+Z"});
  t.entry("EditMenu", "Redo1", "&Redo", [](const Workspace& ws) { return ws.canRedo(); }, {"Ctrl+Shift+Z", "Ctrl+Y"});
  t.separator("EditMenu");
  t.entry("EditMenu", "Subject1", "&Subject", recording);
  t.entry("EditMenu", "Comments1", "&Comments", recording);
  t.entry("EditMenu", "Laboratory1", "&Laboratory");
  t.entry("EditMenu", "Preferences1", "&Preferences");
  t.entry("EditMenu", "AnalysisParameters1", "&Analysis Parameters...");
  t.separator("EditMenu");
  t.entry("EditMenu", "Include1", "Include", recording, {"Ins"});
  t.entry("EditMenu", "Clear1", "Clear", recording, {"Del"});
  t.entry("EditMenu", "Background1", "Background", recording, {"Shift+Ins"});
  t.entry("EditMenu", "Exclude1", "Exclude", recording, {"Ctrl+Ins"});
  // A mark writes the breath signal, which a WAV file cannot keep.
  const EnableRule markable = [](const Workspace& ws) {
    return recording(ws) && !hasExtension(fileName(ws), ".wav");
  };
  t.entry("EditMenu", "MarkInspiration1", "Mark &Inspiration", markable, {"Ctrl+I"});
  t.entry("EditMenu", "MarkExpiration1", "Mark &Expiration", markable, {"Ctrl+E"});
  // Any analysed recording, WAV-born too: these give one without a breath
  // signal its phases, and Save As keeps them.
  t.entry("EditMenu", "MarkRangeInspiration1", "Mark Range as Inspiration", analysed);
  t.entry("EditMenu", "MarkRangeExpiration1", "Mark Range as Expiration", analysed);
  t.entry("EditMenu", "MarkRangeBackground1", "Mark Range as Background", analysed);
  t.separator("EditMenu");
  t.entry("EditMenu", "CopyPowertoFlow1", "Copy Power to Flow", analysed);
  t.entry("EditMenu", "DeleteChannel1", "Delete Channel", [](const Workspace& ws) {
    return recording(ws) && ws.document().recording->channelCount == 2;
  });
  t.entry("EditMenu", "NormalizeChannels1", "Normalize Channels", recording);
  t.entry("EditMenu", "CaptureScreen1", "Capture Screen");
  t.entry("EditMenu", "Capture1", "Captur&e BMP/WAV", recording, {"Ctrl+C"}).visible = developer;
  t.separator("EditMenu");
  // Kept in the configuration folder by the window, not in the preferences.
  CommandRow& playAfterOpening = t.entry("EditMenu", "PlayAfterOpening1", "Play After Opening");
  playAfterOpening.checkable = true;
  playAfterOpening.checked = true;

  t.menu("ViewMenu", "&View");
  t.submenu("ViewMenu", "ZoomWindow1", "ZoomWindowMenu", "Zoom window");
  for (const char* percent : {"100", "150", "200"}) {
    CommandRow& zoom = t.entry("ViewMenu", "Zoom" + QString(percent) + "1", QString("%1 %").arg(percent), {},
                               QString(percent) == "100" ? QStringList{"Ctrl+0"} : QStringList{});
    zoom.checkable = true;
  }
  t.separator("ViewMenu");
  // Ctrl+= as well: "+" needs Shift on many keyboards.
  t.entry("ViewMenu", "ZoomIn1", "Zoom &In", {}, {"Ctrl++", "Ctrl+="});
  t.entry("ViewMenu", "ZoomOut1", "Zoom &Out", {}, {"Ctrl+-"});
  t.endSubmenu("ViewMenu");

  t.menu("AnalyzeMenu", "&Analyze", recording);
  // "&FFT" again is a developer's tool: without --developer it stays off.
  t.entry("AnalyzeMenu", "FFT1", "&FFT", [](const Workspace& ws) { return ws.developer() && recording(ws); });
  t.entry("AnalyzeMenu", "AR1", "&AR");
  t.entry("AnalyzeMenu", "FFTTest1", "FFTTest").visible = developer;
  t.entry("AnalyzeMenu", "TestARLPF1", "TestARLPF").visible = developer;
  t.entry("AnalyzeMenu", "TestCrackle1", "Test&Crackle").visible = developer;
  t.entry("AnalyzeMenu", "TestWheeze1", "Test&Wheeze").visible = developer;
  t.entry("AnalyzeMenu", "DetectWheezesTonal1", "Detect Wheezes (Tonal)");
  t.entry("AnalyzeMenu", "EstimateBreathCycles1", "Estimate Breath Cycles", analysed);
  t.entry("AnalyzeMenu", "DetectCrackles1", "Detect Crackles", analysed);
  t.entry("AnalyzeMenu", "MakeSineWav1", "MakeSineWav").visible = developer;
  t.entry("AnalyzeMenu", "MakeBMPs1", "Make BMPs").visible = developer;

  t.menu("ReportMenu", "&Report", analysed);
  // Each entry carries its report kind for the report dialog.
  const struct {
    const char* name;
    const char* caption;
    int kind;
  } reports[] = {{"AllSegments1", "&All segments", 4}, {"AllTagged1", "All &tagged", 1},
                 {"BreathAverages1", "&Breath averages", 2}, {"OverallAverages1", "&Overall averages", 0},
                 {"OctaveBands1", "O&ctave bands", 3}, {"BandPower1", "Band &power", 5},
                 {"FlowPower1", "&Flow power", 6}, {"Summary1", "&Summary", 7}};
  for (const auto& r : reports) t.entry("ReportMenu", r.name, r.caption).data = r.kind;

  t.menu("HelpMenu", "&Help");
  t.entry("HelpMenu", "Help1", "&Help", {}, {"F1"});
  CommandRow& hints = t.entry("HelpMenu", "ShowHints1", "&Show Hints");
  hints.checkable = true;
  hints.checked = true;
  t.entry("HelpMenu", "About1", "&About");
}

}  // namespace vode
