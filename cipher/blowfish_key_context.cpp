#include "blowfish_key_context.h"

#include <algorithm>
#include <limits>

void BlowfishKeyContext::Key(const uint8_t* key, int length)
{
    const int usable = std::clamp(length, 0, int(std::numeric_limits<int16_t>::max()));
    Blowfish_Init(m_context, key, static_cast<int16_t>(usable));
}
