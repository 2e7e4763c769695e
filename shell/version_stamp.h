// The profile's stamp in the registry. It names the layout of what the program keeps
// under its profile key, not the program's release: it has said "Kestrine v0.3b" since the
// first release, every profile written so far holds exactly that, and a release that does
// not change the layout keeps it, so that no profile is rewritten by an update (or by going
// back to an older release). The release itself is in kestrine_version.h.
#pragma once

class CRegistryProfile;

constexpr char kVersionStampSection[] = "Core";
constexpr char kVersionStampEntry[] = "Program ID";
constexpr char kVersionStamp[] = "Kestrine v0.3b";

// Rewrites the stamp unless it already reads exactly "Kestrine v0.3b".
void CheckVersionStamp(const CRegistryProfile& profile);
void WriteVersionStamp(const CRegistryProfile& profile);
