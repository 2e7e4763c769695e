// kst: Kestrine's locked files from the command line.
#include <clocale>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "commands.h"
#include "exit_status.h"
#include "platform.h"
#ifdef _WIN32
#include "process_hardening.h"
#endif

namespace {

struct CommandEntry {
    kst::Command command;
    int (*run)(const kst::Options&);
};

const CommandEntry kCommandTable[] = {
    {kst::Command::Encrypt, kst::RunEncrypt},
    {kst::Command::Decrypt, kst::RunDecrypt},
    {kst::Command::Shred, kst::RunShred},
    {kst::Command::Info, kst::RunInfo},
};

int Run(const std::vector<std::string>& arguments)
{
    const kst::ParsedCommandLine parsed = kst::ParseCommandLine(arguments);
    if (!parsed.ok) {
        kst::WriteToStderr("kst: " + parsed.error + "\nTry 'kst --help'.\n");
        return kst::kExitUsage;
    }
    if (parsed.options.command == kst::Command::Help) {
        std::fputs(kst::kUsageText, stdout);
        return kst::FinishStandardOutput();
    }
    if (parsed.options.command == kst::Command::Version) {
        std::fputs(kst::kVersionText, stdout);
        return kst::FinishStandardOutput();
    }
    for (const CommandEntry& entry : kCommandTable) {
        if (entry.command == parsed.options.command)
            return entry.run(parsed.options);
    }
    return kst::kExitUsage;
}

}  // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    HardenProcess();
#endif
    kst::InstallInterruptHandler();
    // Names and passwords cross between the locale's encoding and a Windows code page.
    std::setlocale(LC_CTYPE, "");
    int status = kst::kExitIoError;
    try {
        status = Run(kst::CommandLineArguments(argc, argv));
    } catch (const std::exception& error) {
        kst::WriteToStderr(std::string("kst: ") + error.what() + "\n");
    }
    // Everything is cleaned up by now; a run that an interrupt ended ends by that signal.
    if (status == kst::InterruptExitStatus())
        kst::EndByInterrupt();
    return status;
}
