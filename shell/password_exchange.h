// The password fields of the password dialogs: read as Unicode, kept as the key the
// program makes of them.
#pragma once

#include "cstring.h"
#include "data_exchange.h"

// What a password with a character the ANSI code page lacks gets instead of a job.
extern const char kPasswordCharactersMessage[];

// Reads the field as Unicode and sets `key` to its bytes in the ANSI code page, the bytes
// the program has always keyed with. A password with a character the code page lacks
// would key with stand-ins (every Cyrillic letter a '?' on a Western system): it is
// refused with a message and the pass fails, with the focus on the field. The other way
// fills the field from `key`.
void DDX_PasswordText(CDataExchange* pDX, int nIDC, CString& key);
