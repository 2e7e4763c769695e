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
