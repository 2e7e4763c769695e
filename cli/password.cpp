#include "password.h"

#include "file_streams.h"
#include "line_reader.h"
#include "open.h"
#include "platform.h"

namespace kst {

namespace {

// A password file may be a FIFO (a shell's process substitution) that is waited on until
// its writer comes: read as it comes, not as the regular file the codec wants.
bool ReadFirstLine(const std::string& path, SecretBytes& line)
{
    files::File file;
    if (!files::Open(path, files::Access::Read, files::Sharing::ReadWrite, files::Creation::OpenExisting, file).ok)
        return false;
    files::FileSource source(file, files::FileSource::kNoReadAhead);
    return ReadLine(source, line);
}

bool ReadLineFromDescriptor(int descriptor, SecretBytes& line)
{
    files::File file;
    if (!files::OpenDescriptor(descriptor, file).ok)
        return false;
    files::FileSource source(file, files::FileSource::kNoReadAhead);
    return ReadLine(source, line);
}

PasswordResult AskOnTerminal(PasswordUse use, SecretBytes& password)
{
    PasswordResult result;
    if (!ReadSecretFromTerminal("Password: ", password)) {
        result.interrupted = InterruptRequested();
        result.error = result.interrupted ? "interrupted"
                                          : "no terminal to ask the password on; use --password-file or --password-fd";
        return result;
    }
    // Refuse before the second question, so a bad first entry is not typed twice.
    result.error = PasswordRefusal(password.size(), use);
    if (!result.error.empty() || use == PasswordUse::Decrypt) {
        result.ok = result.error.empty();
        return result;
    }
    SecretBytes again;
    if (!ReadSecretFromTerminal("Password again: ", again)) {
        result.interrupted = InterruptRequested();
        result.error = result.interrupted ? "interrupted" : "could not read the password again";
        return result;
    }
    if (again != password) {
        result.error = "the two passwords differ";
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace

std::string PasswordRefusal(size_t length, PasswordUse use)
{
    if (length == 0)
        return "an empty password is refused";
    if (use == PasswordUse::Encrypt && length > lockedfile::kMaxPasswordBytes)
        return "the password is longer than the " + std::to_string(lockedfile::kMaxPasswordBytes) +
               " bytes Kestrine for Windows accepts";
    return "";
}

PasswordResult ObtainPassword(const Options& options, PasswordUse use, SecretBytes& password)
{
    PasswordResult result;
    if (options.passwordFile.empty() && options.passwordFd < 0)
        return AskOnTerminal(use, password);
    const bool read = !options.passwordFile.empty() ? ReadFirstLine(options.passwordFile, password)
                                                    : ReadLineFromDescriptor(options.passwordFd, password);
    // An interrupt may cut the wait short with what came so far.
    if (InterruptRequested()) {
        result.interrupted = true;
        result.error = "interrupted";
        return result;
    }
    if (!read) {
        result.error = (!options.passwordFile.empty()
                            ? "cannot read the password file " + options.passwordFile
                            : "cannot read the password from descriptor " + std::to_string(options.passwordFd)) +
                       ": " + files::LastErrorText();
        return result;
    }
    result.error = PasswordRefusal(password.size(), use);
    result.ok = result.error.empty();
    return result;
}

}  // namespace kst
