// The program driver: banner, usage text, the script run and the one crash
// report.
#pragma once

#include <string>

namespace drovix {

// Runs the whole program; returns the process status: 0 after a successful
// run or the usage text, 1 after the crash report or a markup preview (-p)
// that found a problem, 128 + the signal after Ctrl-C (130) or SIGTERM (143).
int RunDriver(int argc, char** argv);

// The end of a run that went through: when a stop signal has arrived (one
// that came after the run's last step boundary, while the last page or the
// build record was being saved), prints the interruption note and returns
// 128 + the signal; otherwise prints nothing and returns 0.
int ReportPendingStop();

// The crash exclamations, separated by '~'.
const std::string& CrashPhrases();
// Splits list at every '~' and returns one piece, chosen at random (the
// generator is seeded from the clock right before the pick).
std::string PickRandomPhrase(const std::string& list);

}  // namespace drovix
