// What the program says when the destination a user chose cannot take a job's result: it
// is written beside the destination first and then renamed over it. The flows ask before
// the password is asked for; the jobs ask again before they write, as things may have
// changed meanwhile.
#pragma once

#include "destination.h"

// The message for what stands in the destination's way; `pszOtherwise` for what has no
// message of its own (a folder, a device, a destination that cannot be looked at), and
// null when nothing does.
const char* DestinationRefusal(const files::DestinationCheck& check, const char* pszOtherwise);
