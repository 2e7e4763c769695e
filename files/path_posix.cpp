#include "path.h"

namespace files {

Path::Path(const char* narrow) : m_native(narrow) {}

Path::Path(const std::string& narrow) : m_native(narrow) {}

Path Path::FromNative(NativePath native)
{
    Path path;
    path.m_native = std::move(native);
    return path;
}

std::string Path::Narrow() const
{
    return m_native;
}

}  // namespace files
