#include "console_text.h"

#include <windows.h>

namespace kst {

SecretBytes AnsiBytesOf(const SecretWideText& typed)
{
    if (typed.empty())
        return SecretBytes();
    const int length = ::WideCharToMultiByte(CP_ACP, 0, typed.data(), int(typed.size()), nullptr, 0, nullptr, nullptr);
    SecretBytes bytes(size_t(length > 0 ? length : 0), 0);
    if (length > 0)
        ::WideCharToMultiByte(CP_ACP, 0, typed.data(), int(typed.size()), reinterpret_cast<char*>(bytes.data()), length,
                              nullptr, nullptr);
    return bytes;
}

}  // namespace kst
