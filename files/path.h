// A path as this system's file functions take it: UTF-16 on Windows (the wide functions,
// which know no ANSI code page and, in their long form, no MAX_PATH), bytes elsewhere.
// The program holds its paths wide. kst holds them as narrow text, which on Windows is
// UTF-8, so that it carries every name the system has (a lone surrogate, which a Windows
// name may hold, as the three bytes UTF-8 would give it); it is converted here, once, at
// the layer's edge. The layer's own narrow texts (its reasons) are UTF-8 there too.
#pragma once

#include <string>

namespace files {

#ifdef _WIN32
using NativePath = std::wstring;
#else
using NativePath = std::string;
#endif

class Path {
public:
    Path(const char* narrow);
    Path(const std::string& narrow);
    static Path FromNative(NativePath native);

    const NativePath& Native() const { return m_native; }
    // The path as narrow text, for messages and for the faces' own fields.
    std::string Narrow() const;

private:
    Path() = default;

    NativePath m_native;
};

}  // namespace files
