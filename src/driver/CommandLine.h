// The command line as the program was started with it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace drovix {

// Arguments 1 onward (argument 1 is the script name).
void SetCommandLine(std::vector<std::string> args);
const std::vector<std::string>& CommandLine();
// True when any argument equals key, ASCII letters compared case-insensitively.
bool HasCommandLineKey(const std::string& key);

// The key -j<N> (-J<N> alike): N pages built at the same time. 0 for "-j"
// alone and for no such key (as many as the machine can take), -1 for a
// malformed key ("-jx", "-j0"). Of several -j keys the last one counts.
int32_t ParallelPagesKey();

}  // namespace drovix
