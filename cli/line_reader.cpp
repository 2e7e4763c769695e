#include "line_reader.h"

namespace kst {

bool ReadLine(lockedfile::ByteSource& source, SecretBytes& line)
{
    line.clear();
    for (;;) {
        uint8_t c = 0;
        size_t got = 0;
        if (!source.Read(&c, 1, got))
            return false;
        if (got == 0 || c == '\n')
            break;
        line.push_back(c);
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

}  // namespace kst
