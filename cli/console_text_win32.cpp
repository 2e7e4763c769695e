#include "console_text.h"

#include <windows.h>

namespace kst {

std::string AnsiBytesOf(const std::wstring& typed)
{
    if (typed.empty())
        return std::string();
    const int length = ::WideCharToMultiByte(CP_ACP, 0, typed.data(), int(typed.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size_t(length > 0 ? length : 0), '\0');
    if (length > 0)
        ::WideCharToMultiByte(CP_ACP, 0, typed.data(), int(typed.size()), &bytes[0], length, nullptr, nullptr);
    return bytes;
}

}  // namespace kst
