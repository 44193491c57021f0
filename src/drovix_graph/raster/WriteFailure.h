// A file the program could not write, with the cause in words: the messages
// about full disks and read-only folders say why, and callers that wrote
// under a temporary name can name the real file instead.
#pragma once

#include <string>
#include <utility>

#include "driver/console/Error.h"

namespace drovix {

// The cause of a failed write for an errno value, in Russian:
// "нет места на диске", "нет прав на запись", ...; 0 gives "причина неизвестна".
std::string WriteFailureCause(int error);

class EWriteFailure : public EDrovixError {
 public:
  // The message is what failed (naming the file), ": " and the cause.
  EWriteFailure(const std::string& what, std::string cause)
      : EDrovixError(what + ": " + cause), cause_(std::move(cause)) {}
  const std::string& Cause() const { return cause_; }

 private:
  std::string cause_;
};

// Raises EWriteFailure with what (naming the file) and the cause of error.
[[noreturn]] void RaiseWriteFailure(const std::string& what, int error);

}  // namespace drovix
