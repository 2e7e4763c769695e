// encrypt and decrypt: check the files, ask the password, then write the output through a
// pending file, on several threads for large files.
#include <functional>
#include <new>
#include <thread>

#include "code_pages.h"
#include "commands.h"
#include "destination.h"
#include "exit_status.h"
#include "file_identity.h"
#include "file_streams.h"
#include "interrupt_progress.h"
#include "folder_names.h"
#include "open.h"
#include "password.h"
#include "pending_file.h"
#include "progress_meter.h"
#include "stored_names.h"

namespace kst {

namespace {

// --threads as the core reads it; by default the file's size and this machine's cores decide.
lockedfile::BlockRunner RunnerFor(const Options& options, uint64_t length)
{
    return lockedfile::RunnerFor(options.threads, length, std::thread::hardware_concurrency());
}

// "-o -": the output goes to standard output, and no file is made.
bool ToStandardOutput(const Options& options)
{
    return options.output == "-";
}

// What refuses a destination before the password is asked for: the rename at the end
// would fail, or would destroy what is no file. The texts follow the destination's name.
struct DestinationRefusal {
    files::DestinationProblem problem;
    const char* text;
};
const DestinationRefusal kDestinationRefusals[] = {
    {files::DestinationProblem::ReadOnly, ": is read-only; it cannot be replaced"},
    {files::DestinationProblem::HeldOpen, ": is open in another program, which lets nobody replace it"},
};

int CheckDestination(const Options& options, const std::string& destination)
{
    if (ToStandardOutput(options))
        return kExitDone;
    if (files::SameFile(options.file, destination))
        return Refuse(kExitUsage, destination + ": is the source itself; the source is never replaced");
    const files::DestinationCheck check = files::InspectDestination(destination);
    // Not even with --force: as root, a device node replaced by a file breaks the system.
    if (check.problem == files::DestinationProblem::IsFolder || check.problem == files::DestinationProblem::NotAFile)
        return Refuse(kExitIoError, destination + ": " + check.reason + "; only a file is replaced");
    if (check.problem == files::DestinationProblem::Unknown)
        return Refuse(kExitIoError, destination + ": cannot be looked at: " + check.reason);
    // Without --force nothing is replaced, so what would stop a replacement is no matter yet.
    if (check.exists && !options.force)
        return Refuse(kExitDestinationExists, destination + ": exists; use --force to replace it");
    for (const DestinationRefusal& refusal : kDestinationRefusals) {
        if (refusal.problem == check.problem)
            return Refuse(kExitIoError, destination + refusal.text);
    }
    if (check.problem == files::DestinationProblem::FolderRefuses)
        return Refuse(kExitIoError, "cannot create a file in the folder of " + destination + ": " + check.reason);
    return kExitDone;
}

int GetKey(const Options& options, PasswordUse use, const OpenedCodePage& codePage, SecretBytes& key)
{
    const PasswordResult result = ObtainKey(options, use, codePage, key);
    if (result.interrupted)
        return Refuse(InterruptExitStatus(), "interrupted; nothing was written");
    if (!result.ok)
        return Refuse(kExitUsage, result.error);
    return kExitDone;
}

// Runs the codec with a key context that is wiped when the run ends.
using CodecRun = std::function<lockedfile::CodecStatus(lockedfile::ByteSink& sink, BlowfishKeyContext& context,
                                                       lockedfile::ProgressSink& progress)>;

struct CodecOutcome {
    lockedfile::CodecStatus status = lockedfile::CodecStatus::Ok;
    std::string writeFailure;  // the system's reason when a write failed
    std::string abandoned;     // what stopped the run before the codec could end it (memory)
};

CodecOutcome RunInto(files::File& output, files::WriteBehind* writeBehind, const Options& options, const char* verb,
                     uint64_t total, const CodecRun& run)
{
    ProgressMeter meter(!options.quiet && StderrIsTerminal(), verb, total);
    // The meter counts what has reached the file.
    files::FileSink sink(
        [&output, &meter](const uint8_t* buffer, size_t count) {
            if (!output.WriteAll(buffer, count))
                return false;
            meter.Add(count);
            return true;
        },
        writeBehind);
    BlowfishKeyContext context;
    InterruptProgress progress;
    lockedfile::CodecStatus status = lockedfile::CodecStatus::Stopped;
    std::string abandoned;
    try {
        status = run(sink, context, progress);
    } catch (const std::bad_alloc&) {
        abandoned = "out of memory";
    } catch (const std::exception& error) {
        abandoned = error.what();
    }
    // What is still buffered goes out, and nothing flushes behind the writes any more,
    // however the run ended.
    if (!sink.Finish() && status == lockedfile::CodecStatus::Ok)
        status = lockedfile::CodecStatus::WriteFailed;
    return {InterruptRequested() ? lockedfile::CodecStatus::Stopped : status, sink.Failure(), abandoned};
}

// Explains a run that did not end well; `output` names where it went, `left` says what
// became of it.
int RefuseFailedRun(const CodecOutcome& outcome, const Options& options, const files::FileSource& source,
                    const std::string& output, const std::string& left)
{
    if (!outcome.abandoned.empty())
        return Refuse(kExitIoError, "cannot go on: " + outcome.abandoned + "; " + left);
    switch (outcome.status) {
    case lockedfile::CodecStatus::Ok: break;
    case lockedfile::CodecStatus::Stopped: return Refuse(InterruptExitStatus(), "interrupted; " + left);
    case lockedfile::CodecStatus::ReadFailed:
        return Refuse(kExitIoError, "error reading " + options.file + ": " + source.Failure() + "; " + left);
    case lockedfile::CodecStatus::SourceShorter:
        return Refuse(kExitIoError, options.file + " got shorter while it was read; " + left);
    case lockedfile::CodecStatus::SourceLonger:
        return Refuse(kExitIoError,
                      options.file + " changed size while it was read: it holds more than its size said; " + left);
    case lockedfile::CodecStatus::WriteFailed:
        return Refuse(kExitIoError, "error writing " + output + ": " + outcome.writeFailure + "; " + left);
    case lockedfile::CodecStatus::EmptyKey: return Refuse(kExitUsage, "an empty password is refused");
    }
    return kExitDone;
}

// Streams to standard output: there is nothing to put in place, and what a failure leaves
// there is the reader's to throw away.
int WriteStandardOutput(const Options& options, const files::FileSource& source, const char* verb, uint64_t total,
                        const CodecRun& run)
{
    files::File output;
    const files::Result opened = files::OpenStandardOutput(output);
    if (!opened.ok)
        return Refuse(kExitIoError, "cannot write to standard output: " + opened.reason);
    CodecOutcome outcome = RunInto(output, nullptr, options, verb, total, run);
    if (outcome.status == lockedfile::CodecStatus::Ok && !output.Close())
        outcome = {lockedfile::CodecStatus::WriteFailed, files::LastErrorText(), ""};
    return RefuseFailedRun(outcome, options, source, "standard output", "the output there is incomplete");
}

// Runs the codec into a pending file and puts it in place only when all went well.
int WriteOutput(const Options& options, files::File& sourceFile, const files::FileSource& source,
                const std::string& destination, const char* verb, uint64_t total, const CodecRun& run)
{
    if (ToStandardOutput(options))
        return WriteStandardOutput(options, source, verb, total, run);
    files::File output;
    files::PendingFile pending(output);
    const files::Result created = pending.Create(destination, sourceFile);
    if (!created.ok)
        return Refuse(kExitIoError, "cannot create a file in the folder of " + destination + ": " + created.reason);

    files::WriteBehind writeBehind(output, files::WriteBehind::kStretch);
    const CodecOutcome outcome = RunInto(output, &writeBehind, options, verb, total, run);
    if (outcome.status != lockedfile::CodecStatus::Ok) {
        pending.Discard();
        return RefuseFailedRun(outcome, options, source, destination, destination + " was not written");
    }

    std::string reason;
    switch (pending.Commit(options.force, reason)) {
    case files::CommitStatus::Done: return kExitDone;
    case files::CommitStatus::Exists:
        return Refuse(kExitDestinationExists, destination + ": appeared meanwhile; use --force to replace it");
    case files::CommitStatus::Failed: break;
    }
    return Refuse(kExitIoError, "error writing " + destination + ": " + reason);
}

}  // namespace

int Refuse(int status, const std::string& message)
{
    WriteToStderr("kst: " + message + "\n");
    return status;
}

int RunEncrypt(const Options& options)
{
    files::File file;
    uint64_t length = 0;
    const files::Result opened =
        files::OpenRegular(options.file, files::Access::Read, files::Sharing::Read, file, length);
    if (!opened.ok)
        return Refuse(kExitIoError, options.file + ": " + opened.reason);
    const std::string destination = options.output.empty() ? options.file + ".kst" : options.output;
    if (int status = CheckDestination(options, destination))
        return status;
    const OpenedCodePage codePage = OpenCodePage(options.codePage);
    if (codePage.converter == nullptr)
        return Refuse(kExitUsage, codePage.reason);
    const std::string storedName = StoredNameOf(options.file, *codePage.converter);

    SecretBytes key;
    if (int status = GetKey(options, PasswordUse::Encrypt, codePage, key))
        return status;
    const int keyLength = int(key.size());
    const lockedfile::BlockRunner runner = RunnerFor(options, length);
    files::FileSource source(file, files::FileSource::kNoReadAhead);
    return WriteOutput(options, file, source, destination, "encrypting", length,
                       [&](lockedfile::ByteSink& sink, BlowfishKeyContext& context, lockedfile::ProgressSink& progress) {
                           return lockedfile::EncryptStream(source, length, storedName, sink, key.data(), keyLength,
                                                            context, progress, runner);
                       });
}

int RunDecrypt(const Options& options)
{
    files::File file;
    uint64_t length = 0;
    lockedfile::HeaderInfo header;
    if (int status = OpenLockedFile(options.file, file, length, header))
        return status;
    files::FileSource source(file, files::FileSource::kNoReadAhead);
    const OpenedCodePage codePage = OpenCodePage(options.codePage);
    if (codePage.converter == nullptr)
        return Refuse(kExitUsage, codePage.reason);

    std::string destination = options.output;
    if (destination.empty()) {
        // The name the program proposes for the same locked file.
        const std::string folder = files::FolderOf(options.file);
        const std::string proposed = ProposedNameFor(header.storedName, *codePage.converter, folder);
        if (proposed.empty())
            return Refuse(kExitUsage, options.file + ": the stored name gives no usable file name; name the output with -o");
        destination = folder + proposed;
    }
    if (int status = CheckDestination(options, destination))
        return status;

    SecretBytes key;
    if (int status = GetKey(options, PasswordUse::Decrypt, codePage, key))
        return status;
    const int keyLength = int(key.size());
    const lockedfile::BlockRunner runner = RunnerFor(options, length);
    const uint64_t plainLength =
        length > header.dataOffset ? length - header.dataOffset - 1 : 0;  // near enough for progress
    return WriteOutput(options, file, source, destination, "decrypting", plainLength,
                       [&](lockedfile::ByteSink& sink, BlowfishKeyContext& context, lockedfile::ProgressSink& progress) {
                           return lockedfile::DecryptStream(source, length, header.dataOffset, sink,
                                                            key.data(), keyLength, context, progress, runner);
                       });
}

}  // namespace kst
