// What kst needs from the system it runs on beyond its files (files/): the terminal and
// interruption. One implementation for POSIX systems and one for the Windows console.
#pragma once

#include <string>
#include <vector>

#include "secret_bytes.h"

namespace kst {

// The arguments after the program's name, as narrow text (system_text.h). Windows hands
// them over from its wide command line, so that a file name arrives whatever its
// characters.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

bool StderrIsTerminal();
// Asks on the terminal with echo off; false when there is no terminal or on interruption.
bool ReadSecretFromTerminal(const char* prompt, SecretBytes& secret);
// Narrow text to standard error, and to standard output after what stdio holds for it
// (a failure there shows in stdout's error state, FinishStandardOutput). A Windows console
// shows every character; a redirected stream on Windows gets the ANSI code page's bytes.
void WriteToStderr(const std::string& text);
void WriteToStdout(const std::string& text);

// Ctrl+C and termination requests set a flag the work looks at between chunks, so that
// it can remove what it has half written before it ends; a system call they break off is
// not tried again (files/interruption.h).
void InstallInterruptHandler();
bool InterruptRequested();
int InterruptExitStatus();
// After the cleanup, ends the process by the interrupting signal itself, so that a calling
// shell sees the death by it (and a loop in a script stops); returns when there is none.
void EndByInterrupt();

}  // namespace kst
