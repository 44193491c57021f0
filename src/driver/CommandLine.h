// The keys of the command line: arguments 1 onward as the program was
// started with them (argument 1 is the script name).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace drovix {

// True when any argument equals key, ASCII letters compared case-insensitively.
bool HasCommandLineKey(const std::vector<std::string>& args, const std::string& key);

// The key -j<N> (-J<N> alike): N pages built at the same time. 0 for "-j"
// alone and for no such key (as many as the machine can take), -1 for a
// malformed key ("-jx", "-j0"). Of several -j keys the last one counts.
int32_t ParallelPagesKey(const std::vector<std::string>& args);

}  // namespace drovix
