#include "password.h"

#include <fstream>

#include "file_streams.h"
#include "line_reader.h"
#include "platform.h"

namespace kst {

namespace {

// A password file may be a pipe (a shell's process substitution): read as a stream, not
// as the regular file the codec wants.
class StreamSource : public lockedfile::ByteSource {
public:
    explicit StreamSource(std::istream& stream) : m_stream(stream) {}
    bool Read(uint8_t* buffer, size_t want, size_t& got) override
    {
        m_stream.read(reinterpret_cast<char*>(buffer), std::streamsize(want));
        got = size_t(m_stream.gcount());
        return !m_stream.bad();
    }

private:
    std::istream& m_stream;
};

bool ReadFirstLine(const std::string& path, SecretBytes& line)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    StreamSource source(file);
    return ReadLine(source, line);
}

bool ReadLineFromDescriptor(int descriptor, SecretBytes& line)
{
    FileHandle file;
    if (!OpenDescriptor(descriptor, file).ok)
        return false;
    FileSource source(file);
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
    if (!options.passwordFile.empty()) {
        if (!ReadFirstLine(options.passwordFile, password)) {
            result.error = "cannot read the password file " + options.passwordFile + ": " + LastErrorText();
            return result;
        }
    } else if (options.passwordFd >= 0) {
        if (!ReadLineFromDescriptor(options.passwordFd, password)) {
            result.interrupted = InterruptRequested();
            result.error =
                "cannot read the password from descriptor " + std::to_string(options.passwordFd) + ": " + LastErrorText();
            return result;
        }
    } else {
        return AskOnTerminal(use, password);
    }
    result.error = PasswordRefusal(password.size(), use);
    result.ok = result.error.empty();
    return result;
}

}  // namespace kst
