// Registration of a document type with the Windows shell, so that its files open in
// this program and show its document icon.
#pragma once

#include <string>

struct ShellFileType {
    std::string strExtension;   // ".kst"
    std::string strTypeId;      // "Kestrine.Document"
    std::string strTypeName;    // "Kestrine Document"
    std::string strExePath;     // full path of the program
    int nIconIndex;             // index of the document icon among the program's icons
};

// Writes the type under HKEY_CLASSES_ROOT; when that is refused (a user without
// rights to the machine's classes) under HKEY_CURRENT_USER\Software\Classes.
// The compatible form adds the default icon and the print commands.
bool RegisterShellFileType(const ShellFileType& type, bool bCompat);

// An entry of the shell's context menu for files of a class ("*" for every file), for the
// current user only (no administrator needed): the key
// HKEY_CURRENT_USER\Software\Classes\<class>\shell\<verb key> shows the menu text and runs
// the command. Writing it again replaces the same two values, so nothing accumulates.
struct ShellFileVerb {
    std::string strFileClass;  // "*"
    std::string strVerbKey;    // a name no other program uses, "Kestrine.Encrypt"
    std::string strMenuText;   // "Encrypt with Kestrine"
    std::string strCommand;    // "\"C:\...\kestrine.exe\" /encrypt \"%1\""
};
bool RegisterUserFileVerb(const ShellFileVerb& verb);
