// The program driver: banner, usage text, keys, the script run and the one
// crash report.
#pragma once

#include <string>
#include <vector>

namespace drovix {

// Runs the whole program; returns the process status (0 success, 1 failure).
int RunDriver(int argc, char** argv);

// The command line as the driver saw it (argument 1 onward).
void SetCommandLine(std::vector<std::string> args);
const std::vector<std::string>& CommandLine();
// True when any argument equals key, ASCII letters compared case-insensitively.
bool HasCommandLineKey(const std::string& key);

}  // namespace drovix
