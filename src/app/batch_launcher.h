#pragma once
// Starting a generated batch file in a terminal window, for those who ask for one.
//
// By default the program runs its batches itself and shows their progress and result in the window. With
// VEKSECURITY_TERMINAL=PROGRAM the batch runs instead with the batch interpreter (vekbatch, beside the
// program) in a new terminal window that waits for Enter at the end (started as PROGRAM -e COMMAND ARGS...);
// its output is appended to a log beside the batch file ("batchmove.log" beside "batchmove.bat"), and the
// program does not wait for it. VEKSECURITY_TERMINAL=none (or unset) means the window.
#include <string>

namespace vek {

// The interpreter's host path, or empty when it is not found.
std::string BatchInterpreter();
// The log beside a batch file.
std::string BatchLogPath(const std::string& batchHostPath);
// Whether VEKSECURITY_TERMINAL asks for a terminal window.
bool TerminalRequested();
// Starts the batch at a host path in the requested terminal; 0 when it started, else an errno value
// (ENOENT when the terminal, the interpreter or the batch file is missing).
int StartBatch(const std::string& batchHostPath);

}  // namespace vek
