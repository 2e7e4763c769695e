// A path as this system's file functions take it: UTF-16 on Windows (the wide functions,
// which know no ANSI code page and, in their long form, no MAX_PATH), bytes elsewhere.
// The faces hold narrow text today (on Windows in the ANSI code page); it is converted
// here, once, at the layer's edge.
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
