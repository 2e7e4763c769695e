// encrypt and decrypt: check the files, ask the password, then write the output through a
// pending file, on several threads for large files.
#include <functional>
#include <thread>

#include "commands.h"
#include "exit_status.h"
#include "file_streams.h"
#include "password.h"
#include "pending_output.h"

namespace kst {

namespace {

// --threads as the core reads it; by default the file's size and this machine's cores decide.
lockedfile::BlockRunner RunnerFor(const Options& options, uint64_t length)
{
    return lockedfile::RunnerFor(options.threads, length, std::thread::hardware_concurrency());
}

int CheckDestination(const std::string& source, const std::string& destination, bool force)
{
    if (SameFile(source, destination))
        return Refuse(kExitUsage, destination + ": is the source itself; the source is never replaced");
    if (PathExists(destination) && !force)
        return Refuse(kExitDestinationExists, destination + ": exists; use --force to replace it");
    return kExitDone;
}

int GetPassword(const Options& options, PasswordUse use, std::string& password)
{
    const PasswordResult result = ObtainPassword(options, use, password);
    if (result.interrupted)
        return Refuse(InterruptExitStatus(), "interrupted; nothing was written");
    if (!result.ok)
        return Refuse(kExitUsage, result.error);
    return kExitDone;
}

// Runs the codec with a key context that is wiped when the run ends.
using CodecRun = std::function<lockedfile::CodecStatus(lockedfile::ByteSink& sink, BlowfishKeyContext& context,
                                                       lockedfile::ProgressSink& progress)>;

// Runs the codec into a pending output and puts it in place only when all went well.
int WriteOutput(const Options& options, const std::string& destination, const char* verb, uint64_t total,
                const CodecRun& run)
{
    PendingOutput output(destination);
    const FileResult created = output.Create();
    if (!created.ok)
        return Refuse(kExitIoError, "cannot create a file in the folder of " + destination + ": " + created.reason);

    lockedfile::CodecStatus status;
    {
        ProgressMeter meter(!options.quiet && StderrIsTerminal(), verb, total);
        FileSink sink(output.File(), meter);
        BlowfishKeyContext context;
        InterruptProgress progress;
        status = run(sink, context, progress);
    }
    if (InterruptRequested())
        status = lockedfile::CodecStatus::Stopped;
    switch (status) {
    case lockedfile::CodecStatus::Ok: break;
    case lockedfile::CodecStatus::Stopped:
        return Refuse(InterruptExitStatus(), "interrupted; " + destination + " was not written");
    case lockedfile::CodecStatus::ReadFailed:
        return Refuse(kExitIoError, "error reading " + options.file + "; " + destination + " was not written");
    case lockedfile::CodecStatus::WriteFailed:
        return Refuse(kExitIoError, "error writing " + destination + "; nothing was left behind");
    case lockedfile::CodecStatus::EmptyKey:
        return Refuse(kExitUsage, "an empty password is refused");
    }

    std::string reason;
    switch (output.Commit(options.force, reason)) {
    case CommitStatus::Done: return kExitDone;
    case CommitStatus::Exists:
        return Refuse(kExitDestinationExists, destination + ": appeared meanwhile; use --force to replace it");
    case CommitStatus::Failed: break;
    }
    return Refuse(kExitIoError, "error writing " + destination + ": " + reason);
}

const uint8_t* KeyBytes(const std::string& password)
{
    return reinterpret_cast<const uint8_t*>(password.data());
}

}  // namespace

int Refuse(int status, const std::string& message)
{
    WriteToStderr("kst: " + message + "\n");
    return status;
}

int RunEncrypt(const Options& options)
{
    FileHandle file;
    uint64_t length = 0;
    const FileResult opened = OpenForReading(options.file, file, length);
    if (!opened.ok)
        return Refuse(kExitIoError, options.file + ": " + opened.reason);
    const std::string destination = options.output.empty() ? options.file + ".kst" : options.output;
    if (int status = CheckDestination(options.file, destination, options.force))
        return status;
    const std::string storedName =
        lockedfile::StoredNameFor(options.file.substr(FileNameStart(options.file)), NameLeadBytes());

    Secret password;
    if (int status = GetPassword(options, PasswordUse::Encrypt, password.Text()))
        return status;
    const int keyLength = int(password.Text().size());
    const lockedfile::BlockRunner runner = RunnerFor(options, length);
    FileSource source(file);
    return WriteOutput(options, destination, "encrypting", length,
                       [&](lockedfile::ByteSink& sink, BlowfishKeyContext& context, lockedfile::ProgressSink& progress) {
                           return lockedfile::EncryptStream(source, length, storedName, sink, KeyBytes(password.Text()),
                                                            keyLength, context, progress, runner);
                       });
}

int RunDecrypt(const Options& options)
{
    FileHandle file;
    uint64_t length = 0;
    lockedfile::HeaderInfo header;
    if (int status = OpenLockedFile(options.file, file, length, header))
        return status;
    FileSource source(file);

    std::string destination = options.output;
    if (destination.empty()) {
        const std::string proposed = lockedfile::SafeProposedName(header.storedName);
        if (proposed.empty())
            return Refuse(kExitUsage, options.file + ": the stored name gives no usable file name; name the output with -o");
        destination = FolderOf(options.file) + proposed;
    }
    if (int status = CheckDestination(options.file, destination, options.force))
        return status;

    Secret password;
    if (int status = GetPassword(options, PasswordUse::Decrypt, password.Text()))
        return status;
    const int keyLength = int(password.Text().size());
    const lockedfile::BlockRunner runner = RunnerFor(options, length);
    const uint64_t plainLength =
        length > header.dataOffset ? length - header.dataOffset - 1 : 0;  // near enough for progress
    return WriteOutput(options, destination, "decrypting", plainLength,
                       [&](lockedfile::ByteSink& sink, BlowfishKeyContext& context, lockedfile::ProgressSink& progress) {
                           return lockedfile::DecryptStream(source, length, header.dataOffset, sink,
                                                            KeyBytes(password.Text()), keyLength, context, progress,
                                                            runner);
                       });
}

}  // namespace kst
