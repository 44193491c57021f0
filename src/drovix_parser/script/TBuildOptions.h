// The build options of one run, as the keys of the command line give them:
// the driver reads the keys and hands this value to the script object.
#pragma once

#include <cstdint>

namespace drovix {

struct TBuildOptions {
  // Key -d: a draft (no careful cleaning); it outranks -r.
  bool Draft = false;
  // Key -r: a release build.
  bool Release = false;
  // Key -p: a markup preview of every page instead of a build.
  bool Preview = false;
  // Key -j<N>: N pages built at the same time; 0 for as many as the machine
  // can take, -1 for a malformed key (the script object refuses it).
  int32_t ParallelPages = 0;
};

}  // namespace drovix
