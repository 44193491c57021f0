// The program driver: banner, usage text, the script run and the one crash
// report.
#pragma once

namespace drovix {

// Runs the whole program; returns the process status (0 success, 1 failure).
int RunDriver(int argc, char** argv);

}  // namespace drovix
