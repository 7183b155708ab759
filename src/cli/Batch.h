// One command over many input files: several files at a time, each with a
// fresh document, the output in input order exactly as a run of one file
// after another would print it.
#pragma once

#include <cstddef>
#include <functional>
#include <iostream>
#include <ostream>
#include <string>
#include <vector>

#include "cli/CliSupport.h"

namespace vode::cli {

// Where one input's results and messages go, and how many threads its
// analysis may use (0: every core).
struct FileOutput {
  std::ostream& out;
  std::ostream& err;
  int analysisThreads = 0;
};

using FileTask = std::function<int(std::size_t index, FileOutput& output)>;

constexpr int MaxJobs = 256;

// --jobs N: a whole number from 1 to MaxJobs; without the option, the number
// of cores the process may run on. false with a message in error when wrong.
bool readJobsOption(const ParsedArgs& args, int& jobs, std::string& error);

// Runs task(i, output) once for every input, at most `jobs` threads in all.
// One input: the task writes straight to stdout and stderr, its analysis may
// use all `jobs` threads, and its status is returned. Several: up to `jobs`
// files at a time, each analysed on jobs / files-in-flight threads (so one
// thread each once the files outnumber the jobs); each file's stdout and
// stderr are held and printed in input order; while stderr is a terminal a
// progress line ("12/340 files, 3 failed") stands below them, and a final
// count ends the run. A failed (or throwing) task does not stop the others:
// ExitFileError at the end when any failed, else ExitOk. The results go to
// out (standard output unless the command names a file for all of them).
int runBatch(const std::vector<std::string>& inputs, int jobs, const FileTask& task, std::ostream& out = std::cout);

// The output of each input for commands writing one file per input. With
// several inputs, or when out is a folder already, out is a folder (made when
// missing) and input i writes out/name(input i); else the one input writes
// out. Two inputs that would write the same file are refused as a usage error
// naming both: the later would silently replace the earlier. Prints its
// message and returns ExitUsage or ExitFileError; else ExitOk.
int prepareOutputs(const std::vector<std::string>& inputs, const std::string& out,
                   const std::function<std::string(const std::string&)>& name, std::vector<std::string>& targets,
                   const std::string& usage);

// The input's file name without folder and extension.
std::string stemOf(const std::string& input);

}  // namespace vode::cli
