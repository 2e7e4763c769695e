#include "password.h"

#include <algorithm>

#include "code_page.h"
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

// The characters of a UTF-16 line past its byte order mark (line_reader.h).
lockedfile::SecretCharacters Utf16Characters(const SecretBytes& line, Utf16Order order)
{
    std::vector<char16_t, WipingAllocator<char16_t>> units;
    for (size_t at = 2; at + 1 < line.size(); at += 2)
        units.push_back(Utf16Unit(&line[at], order));
    lockedfile::SecretCharacters characters;
    lockedfile::ReadUtf16(units.data(), units.size(), [&](char32_t c) { characters.push_back(c); });
    if (line.size() % 2 != 0)
        characters.push_back(lockedfile::kNoCharacter);  // half a unit
    return characters;
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
    // Whatever the system's text, a file that says it is UTF-16 is read as such.
    const Utf16Order utf16 = origin == PasswordOrigin::File ? Utf16ByteOrder(line) : Utf16Order::None;
    const lockedfile::SecretCharacters characters =
        utf16 != Utf16Order::None ? Utf16Characters(line, utf16) : PasswordCharacters(line, origin);
    std::string refusal;
    if (std::find(characters.begin(), characters.end(), lockedfile::kNoCharacter) != characters.end())
        refusal = "the password is not " + (utf16 != Utf16Order::None ? "UTF-16" : PasswordEncodingName(origin)) +
                  " text";
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
