// The command line as the program was started with it.
#pragma once

#include <string>
#include <vector>

namespace drovix {

// Arguments 1 onward (argument 1 is the script name).
void SetCommandLine(std::vector<std::string> args);
const std::vector<std::string>& CommandLine();
// True when any argument equals key, ASCII letters compared case-insensitively.
bool HasCommandLineKey(const std::string& key);

}  // namespace drovix
