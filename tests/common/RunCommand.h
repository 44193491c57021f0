// Runs a shell command the way the whole-program tests and benchmarks run
// the program: what it printed (standard output and error together) and
// its exit status.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace drovix {

struct TCommandResult {
  std::string output;
  int status = -1;  // -1 when it could not start or did not exit normally
};

inline TCommandResult RunCommand(const std::string& command) {
  TCommandResult run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buf[4096];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) run.output.append(buf, n);
  const int status = ::pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace drovix
