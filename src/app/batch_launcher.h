#pragma once
// Starting a generated batch file with the program's batch interpreter (vekbatch, beside the program).
//
// With a display and a terminal emulator the batch runs in a new terminal window that waits for Enter at
// the end; otherwise it runs detached. Either way its output is appended to a log beside the batch file
// ("batchmove.log" beside "batchmove.bat"). The program does not wait for the batch.
//   VEKSECURITY_TERMINAL=none     never open a terminal window
//   VEKSECURITY_TERMINAL=PROGRAM  the terminal emulator to use (started as PROGRAM -e COMMAND ARGS...)
#include <string>

namespace vek {

// The interpreter's host path, or empty when it is not found.
std::string BatchInterpreter();
// The log beside a batch file.
std::string BatchLogPath(const std::string& batchHostPath);
// Starts the batch at a host path; 0 when it started, else an errno value (ENOENT when the
// interpreter or the batch file is missing).
int StartBatch(const std::string& batchHostPath);

}  // namespace vek
