// The command line: one command, one file, and the options that go with them.
#pragma once

#include <string>
#include <vector>

namespace kst {

enum class Command { Encrypt, Decrypt, Shred, Info, Help, Version };

struct Options {
    Command command = Command::Help;
    std::string file;
    std::string output;  // empty: the command's default
    bool force = false;
    bool quiet = false;
    std::string passwordFile;
    int passwordFd = -1;
    unsigned threads = 0;  // 0: chosen by the file's size and the number of cores
    unsigned codePage = 0;  // the Windows code page of passwords and stored names (--code-page)
};

struct ParsedCommandLine {
    bool ok = false;
    std::string error;
    Options options;
};

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

extern const char* const kUsageText;
extern const char* const kVersionText;

}  // namespace kst
