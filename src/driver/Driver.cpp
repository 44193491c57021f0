// Placeholder: being built.
#include "driver/Driver.h"

#include <string>
#include <vector>

#include "driver/CommandLine.h"

namespace drovix {

int RunDriver(int argc, char** argv) {
  SetCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  return 0;
}

}  // namespace drovix
