// vode-cli: the program's analysis without the window, for scripts and studies.
#include <cstring>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "formats/FileErrors.h"
#include "formats/FileSystem.h"

namespace {

struct Command {
  const char* name;
  int (*run)(const vode::cli::Arguments&);
  const char* summary;
};

const Command commands[] = {
    {"info", vode::cli::cmdInfo, "print what a recording or settings file holds, as JSON"},
    {"convert", vode::cli::cmdConvert, "convert between .mer, .bin, .wav and .dat; --resample imports other sound files"},
    {"synth", vode::cli::cmdSynth, "write a synthetic breathing recording"},
    {"analyze", vode::cli::cmdAnalyze, "open and analyse a recording, print the results as JSON"},
    {"report", vode::cli::cmdReport, "write one of the eight reports"},
    {"sonogram", vode::cli::cmdSonogram, "write a channel's sonogram as a PNG picture"},
    {"wheeze", vode::cli::cmdWheeze, "detect wheezes and print them as CSV, or score them against breath cycles"},
    {"cycles", vode::cli::cmdCycles, "estimate breath cycles from the sound alone, or score them against annotated ones"},
    {"crackles", vode::cli::cmdCrackles, "detect crackles in the samples, or score them against breath cycles"},
    {"table", vode::cli::cmdTable, "write every segment of every channel as one CSV table for data-frame libraries"},
    {"labels", vode::cli::cmdLabels, "import breath phases from a label track, or export them as one"},
};

void printHelp(std::ostream& out) {
  out << "Usage: vode-cli COMMAND [ARGS...]\n\n"
         "R.E.Z.U. Vode on the command line: the same reading, analysis and reports\n"
         "as the window, on any number of files.\n\nCommands:\n";
  for (const Command& c : commands) out << "  " << c.name << std::string(10 - std::strlen(c.name), ' ') << c.summary << "\n";
  out << "\nanalyze, report, sonogram, table, wheeze and crackles take several files and\n"
         "--jobs N (threads in all, default every core); the output is that of one file\n"
         "after another. Every command but info and convert opens any recording: .mer,\n"
         ".bin, .dat, WAV, and any other sound file libsndfile reads (FLAC, Ogg, AIFF, WAV\n"
         "of any rate and depth), resampled as convert --resample does.\n"
         "\nRun 'vode-cli COMMAND --help' for the options of a command.\n"
         "Exit codes: 0 success, 1 file or data error, 2 usage error.\n";
}

}  // namespace

int main(int argc, char** argv) {
  vode::installSaveSignalHandlers();
  if (argc < 2) {
    printHelp(std::cerr);
    return vode::cli::ExitUsage;
  }
  const std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") {
    printHelp(std::cout);
    return vode::cli::ExitOk;
  }
  std::vector<std::string> args(argv + 2, argv + argc);
  for (const Command& c : commands) {
    if (name != c.name) continue;
    // What a file's own handling did not catch: the memory ran out between
    // reading and writing (a batch reports it per file).
    try {
      return c.run(args);
    } catch (const std::bad_alloc&) {
      std::cerr << "vode-cli: " << vode::FileErrorText(vode::ErrNoMemory) << "\n";
      return vode::cli::ExitFileError;
    }
  }
  std::cerr << "vode-cli: unknown command '" << name << "'\n";
  printHelp(std::cerr);
  return vode::cli::ExitUsage;
}
