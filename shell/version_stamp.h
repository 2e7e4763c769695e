// The one value Kestrine keeps in the registry: which version last ran.
#pragma once

class CRegistryProfile;

constexpr char kVersionStampSection[] = "Core";
constexpr char kVersionStampEntry[] = "Program ID";
constexpr char kVersionStamp[] = "Kestrine v0.3b";

// Rewrites the stamp unless it already reads exactly "Kestrine v0.3b".
void CheckVersionStamp(const CRegistryProfile& profile);
void WriteVersionStamp(const CRegistryProfile& profile);
