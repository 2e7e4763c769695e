// Whether the process has been asked to stop (a signal it handles). A system call that a
// signal broke off is tried again unless it has, so that a read waiting on a terminal or
// a pipe ends when the user interrupts. Process-wide, as signals are; without a check
// every broken-off call is tried again.
#pragma once

namespace files {

using InterruptionCheck = bool (*)();

void SetInterruptionCheck(InterruptionCheck check);
bool InterruptionRequested();

}  // namespace files
