// Kestrine's registration for the current user: the locked files' type (".kst",
// "Kestrine.Document") and the two Explorer entries. A plain start writes whatever is
// missing or different, unless the user removed the registration with /unregister: that
// leaves a note in the program's profile, which /register clears again.
#pragma once

class CWinApp;

// Where the note lives: HKEY_CURRENT_USER\Software\Pellacore\Software\Kestrine\Shell,
// string value "Unregistered".
constexpr char kRegistrationNoteSection[] = "Shell";
constexpr char kRegistrationNoteEntry[] = "Unregistered";

// A plain start's registration: nothing when the note is there.
void RegisterUnlessUnregistered(CWinApp& app);
// /register: writes every key and clears the note. True when all of it was done.
bool RegisterForUser(CWinApp& app);
// /unregister: removes every key the program wrote for the user and leaves the note. True
// when all of it was done.
bool UnregisterForUser(CWinApp& app);
