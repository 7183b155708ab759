// The vode-cli commands; each takes the arguments after its name.
#pragma once

#include <string>
#include <vector>

namespace vode::cli {

using Arguments = std::vector<std::string>;

int cmdInfo(const Arguments& args);
int cmdConvert(const Arguments& args);
int cmdSynth(const Arguments& args);
int cmdAnalyze(const Arguments& args);
int cmdReport(const Arguments& args);
int cmdSonogram(const Arguments& args);
int cmdWheeze(const Arguments& args);
int cmdCycles(const Arguments& args);
int cmdCrackles(const Arguments& args);
int cmdTable(const Arguments& args);
int cmdLabels(const Arguments& args);

}  // namespace vode::cli
