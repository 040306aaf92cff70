// The selection the window saved ("Place"), read by another program: the
// console program cleans what the user chose in the window. Values that both
// programs share (the scheduled clean's copy) live in the same key.
#pragma once

#include "settings/Settings.h"

#include <string>
#include <vector>

// The window program's application name ("Quenby" for Quenby.exe), which
// names its settings key.
constexpr const char kWindowApplicationName[] = "Quenby";

// "Place" under HKCU\Software\<registry key>\<applicationName>\Settings, read
// without creating any key; 0 when it is missing or not a four-byte REG_DWORD.
CleanSelection ReadSavedSelection(const char* applicationName = kWindowApplicationName);

// The names "MoreTraces" holds in the same key, read the same way; none when
// the value is missing or not a REG_SZ.
std::vector<std::wstring> ReadSavedMoreTraces(const char* applicationName = kWindowApplicationName);

// A REG_SZ value of the same key, read in Unicode the same way; empty when it
// is missing or of another type.
std::wstring ReadSavedText(const char* valueName,
                           const char* applicationName = kWindowApplicationName);
// Writes one, creating the key when it is missing; false when that fails.
bool WriteSavedText(const char* valueName, const std::wstring& text,
                    const char* applicationName = kWindowApplicationName);
// The sites "KeepSites" holds in the same key, read the same way; none when
// the value is missing or not a REG_MULTI_SZ.
std::vector<std::wstring> ReadSavedKeepSites(const char* applicationName = kWindowApplicationName);
