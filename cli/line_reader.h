// One line of text from a stream: a password from a file, a descriptor or the terminal.
#pragma once

#include <string>

#include "locked_format.h"
#include "secret_bytes.h"

namespace kst {

// Reads one line a byte at a time, so that nothing after it is taken from a descriptor
// another reader shares. The line ends at '\n' or at the end of the stream; neither the
// '\n' nor a '\r' just before it is kept. False on a read error. The line is a secret:
// whatever memory it outgrows on the way is wiped.
bool ReadLine(lockedfile::ByteSource& source, SecretBytes& line);

}  // namespace kst
