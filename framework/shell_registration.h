// Registration of a document type and of context-menu entries with the Windows shell, for
// the current user only: under HKEY_CURRENT_USER\Software\Classes, never the machine's
// classes. (HKEY_CLASSES_ROOT is the machine's for a program started elevated: a type
// written there would run whatever file sits at the program's path for every user.)
#pragma once

#include <string>

// What a registration or its undoing did: whether every key was written or removed as
// asked, and whether anything in the registry changed.
struct RegistrationResult {
    bool bDone = true;
    bool bChanged = false;

    void Add(const RegistrationResult& other) {
        bDone = bDone && other.bDone;
        bChanged = bChanged || other.bChanged;
    }
};

struct ShellFileType {
    std::string strExtension;   // ".kst"
    std::string strTypeId;      // "Kestrine.Document"
    std::string strTypeName;    // "Kestrine Document"
    std::wstring strExePath;    // full path of the program, which may hold any character
    int nIconIndex;             // index of the document icon among the program's icons
};

// Writes the type for the current user: the extension names the type, the type opens its
// files in the program. The compatible form adds the default icon and the print commands.
// A value that already reads as it should is not written again.
RegistrationResult RegisterShellFileType(const ShellFileType& type, bool bCompat);
// Removes the type's key and, if it still names this type, the extension's; an extension
// another program has taken over since stays as it is.
RegistrationResult UnregisterShellFileType(const ShellFileType& type);

// An entry of the shell's context menu for files of a class ("*" for every file): the key
// HKEY_CURRENT_USER\Software\Classes\<class>\shell\<verb key> shows the menu text and runs
// the command.
struct ShellFileVerb {
    std::string strFileClass;  // "*"
    std::string strVerbKey;    // a name no other program uses, "Kestrine.Encrypt"
    std::string strMenuText;   // "Encrypt with Kestrine"
    std::wstring strCommand;   // "\"C:\...\kestrine.exe\" /encrypt \"%1\"", as the program's path
};
RegistrationResult RegisterUserFileVerb(const ShellFileVerb& verb);
// Removes the entry's key (only the class and the key name are used).
RegistrationResult UnregisterUserFileVerb(const ShellFileVerb& verb);

// Tells the shell that file types changed, so that Explorer shows the change at once.
void NotifyShellOfAssociationChange();
