#include "password.h"

#include <algorithm>

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

PasswordResult AskOnTerminal(PasswordUse use, const OpenedCodePage& codePage, SecretBytes& key)
{
    PasswordResult result;
    SecretBytes password;
    if (!ReadSecretFromTerminal("Password: ", password)) {
        result.interrupted = InterruptRequested();
        result.error = result.interrupted ? "interrupted"
                                          : "no terminal to ask the password on; use --password-file or --password-fd";
        return result;
    }
    // Refuse before the second question, so a bad first entry is not typed twice.
    result.error = KeyForPassword(password, PasswordOrigin::Terminal, use, codePage, key);
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
        WipeSecret(key);
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

std::string KeyForPassword(const SecretBytes& line, PasswordOrigin origin, PasswordUse use,
                           const OpenedCodePage& codePage, SecretBytes& key)
{
    const lockedfile::SecretCharacters characters = PasswordCharacters(line, origin);
    std::string refusal;
    if (std::find(characters.begin(), characters.end(), lockedfile::kNoCharacter) != characters.end())
        refusal = "the password is not " + PasswordEncodingName(origin) + " text";
    else if (!lockedfile::KeyFor(characters, *codePage.converter, key))
        refusal = "the password contains characters that code page " + std::to_string(codePage.number) +
                  " lacks (Kestrine for Windows keys with its bytes); use other characters";
    else
        refusal = PasswordRefusal(key.size(), use);
    if (!refusal.empty())
        WipeSecret(key);
    return refusal;
}

PasswordResult ObtainKey(const Options& options, PasswordUse use, const OpenedCodePage& codePage, SecretBytes& key)
{
    PasswordResult result;
    if (options.passwordFile.empty() && options.passwordFd < 0)
        return AskOnTerminal(use, codePage, key);
    SecretBytes password;
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
    result.error = KeyForPassword(password, PasswordOrigin::File, use, codePage, key);
    result.ok = result.error.empty();
    return result;
}

}  // namespace kst
