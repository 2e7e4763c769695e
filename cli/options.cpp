#include "options.h"

#include <cstdlib>

#include "code_pages.h"
#include "kestrine_version.h"

namespace kst {

const char* const kVersionText = "kst (Kestrine) " KESTRINE_VERSION_TEXT "\n";

const char* const kUsageText =
    "Usage: kst encrypt FILE [-o OUT]     lock FILE into OUT (default FILE.kst)\n"
    "       kst decrypt FILE.kst [-o OUT] unlock into OUT (default: the stored name,\n"
    "                                     made safe, in FILE.kst's folder)\n"
    "       kst shred FILE                overwrite FILE in place with zero bytes\n"
    "       kst info FILE.kst             show the stored name, tail count and plain length\n"
    "\n"
    "Options:\n"
    "  -o, --output PATH     where to write (\"-\": standard output)\n"
    "  -f, --force           replace an existing output file (never a device or folder)\n"
    "  -q, --quiet           no progress display\n"
    "      --password-file PATH  read the password from the first line of PATH\n"
    "      --password-fd N       read the password from the first line of descriptor N\n"
    "      --threads N       cipher on N threads (1: single-threaded; at most 4 a core)\n"
    "      --code-page N     the Windows code page of passwords and stored names:\n"
    "                        1252 Western (the default; on Windows the system's own),\n"
    "                        932 Japanese, 936 and 950 Chinese, 949 Korean, 874 Thai,\n"
    "                        1250-1258 the other European and Middle Eastern ones;\n"
    "                        65001 UTF-8 as it is (as earlier kst keyed on Linux)\n"
    "  -h, --help            this text\n"
    "      --version         the program's version\n"
    "\n"
    "Without --password-file or --password-fd the password is asked on the terminal,\n"
    "twice for encrypt. It is never taken from the command line.\n"
    "\n"
    "Kestrine for Windows keys with the password's bytes in its system's code page and\n"
    "stores the file's name in it; kst does the same with --code-page. A password\n"
    "character the code page lacks is refused, a name character it lacks is stored as\n"
    "'_', and decrypt reads the stored name back from the code page. Encrypt takes\n"
    "passwords of 1 to 56 bytes in the code page. Open a file locked on a Japanese\n"
    "system with --code-page 932.\n"
    "\n"
    "Exit status: 0 done, 1 file error, 2 usage or password refused, 3 not a locked file,\n"
    "4 output exists (use --force), 128+N interrupted by signal N.\n";

namespace {

struct CommandEntry {
    const char* name;
    Command command;
    bool takesOutput;
};

const CommandEntry kCommands[] = {
    {"encrypt", Command::Encrypt, true},
    {"decrypt", Command::Decrypt, true},
    {"shred", Command::Shred, false},
    {"info", Command::Info, false},
};

// Digits only: strtol alone would also take leading blanks and a sign.
bool ParseCount(const std::string& text, long low, long high, long& value)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return *end == '\0' && value >= low && value <= high;
}

// Each option's effect; returns an error text, or nullptr when the value is taken.
using ApplyOption = const char* (*)(Options& options, const std::string& value);

struct OptionEntry {
    const char* longName;
    char shortName;
    bool takesValue;
    ApplyOption apply;
};

const OptionEntry kOptions[] = {
    {"output", 'o', true, [](Options& o, const std::string& v) -> const char* {
         o.output = v;
         return v.empty() ? "the output path is empty" : nullptr;
     }},
    {"force", 'f', false, [](Options& o, const std::string&) -> const char* {
         o.force = true;
         return nullptr;
     }},
    {"quiet", 'q', false, [](Options& o, const std::string&) -> const char* {
         o.quiet = true;
         return nullptr;
     }},
    {"password-file", 0, true, [](Options& o, const std::string& v) -> const char* {
         o.passwordFile = v;
         return v.empty() ? "the password file path is empty" : nullptr;
     }},
    {"password-fd", 0, true, [](Options& o, const std::string& v) -> const char* {
         long fd = 0;
         if (!ParseCount(v, 0, 1 << 20, fd))
             return "--password-fd needs a descriptor number";
         o.passwordFd = int(fd);
         return nullptr;
     }},
    {"threads", 0, true, [](Options& o, const std::string& v) -> const char* {
         long count = 0;
         if (!ParseCount(v, 1, 256, count))
             return "--threads needs a count from 1 to 256";
         o.threads = unsigned(count);
         return nullptr;
     }},
    {"code-page", 0, true, [](Options& o, const std::string& v) -> const char* {
         long number = 0;
         if (!ParseCount(v, 1, 65535, number) || !IsKnownCodePage(unsigned(number)))
             return "--code-page needs a Windows code page: 874, 932, 936, 949, 950, 1250 to 1258, or 65001 (UTF-8)";
         o.codePage = unsigned(number);
         return nullptr;
     }},
    {"password", 'p', true, [](Options&, const std::string&) -> const char* {
         return "a password is never taken from the command line (others can read it there); "
                "use --password-file or --password-fd";
     }},
};

const OptionEntry* FindOption(const std::string& argument)
{
    for (const OptionEntry& entry : kOptions) {
        if (argument == std::string("--") + entry.longName ||
            (entry.shortName != 0 && argument == std::string("-") + entry.shortName))
            return &entry;
    }
    return nullptr;
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments)
{
    ParsedCommandLine parsed;
    Options& options = parsed.options;
    std::vector<std::string> operands;
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        std::string argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            operands.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument == "--help" || argument == "-h") {
            options.command = Command::Help;
            parsed.ok = true;
            return parsed;
        }
        if (argument == "--version") {
            options.command = Command::Version;
            parsed.ok = true;
            return parsed;
        }
        std::string value;
        bool hasInlineValue = false;
        const size_t equals = argument.find('=');
        if (argument.compare(0, 2, "--") == 0 && equals != std::string::npos) {
            value = argument.substr(equals + 1);
            argument.erase(equals);
            hasInlineValue = true;
        }
        const OptionEntry* entry = FindOption(argument);
        if (entry == nullptr) {
            parsed.error = "unknown option " + argument;
            return parsed;
        }
        if (entry->takesValue && !hasInlineValue) {
            if (i + 1 == arguments.size()) {
                parsed.error = argument + " needs a value";
                return parsed;
            }
            value = arguments[++i];
        } else if (!entry->takesValue && hasInlineValue) {
            parsed.error = argument + " takes no value";
            return parsed;
        }
        if (const char* error = entry->apply(options, value)) {
            parsed.error = error;
            return parsed;
        }
    }

    if (operands.empty()) {
        parsed.error = "no command given";
        return parsed;
    }
    const CommandEntry* command = nullptr;
    for (const CommandEntry& entry : kCommands) {
        if (operands[0] == entry.name)
            command = &entry;
    }
    if (command == nullptr) {
        parsed.error = "unknown command " + operands[0];
        return parsed;
    }
    if (operands.size() != 2) {
        parsed.error = operands.size() < 2 ? std::string(command->name) + " needs a FILE"
                                           : std::string(command->name) + " takes one FILE";
        return parsed;
    }
    if (!options.output.empty() && !command->takesOutput) {
        parsed.error = std::string(command->name) + " writes no output file; -o does not apply";
        return parsed;
    }
    if (!options.passwordFile.empty() && options.passwordFd >= 0) {
        parsed.error = "give either --password-file or --password-fd, not both";
        return parsed;
    }
    options.command = command->command;
    options.file = operands[1];
    if (options.codePage == 0)
        options.codePage = DefaultCodePage();
    parsed.ok = true;
    return parsed;
}

}  // namespace kst
