// The two numbers that carry the user's choices from one run to the next,
// in the "Settings" section of the application's profile
// (HKCU\Software\<registry key>\<application name>\Settings).
//
// Nothing is cached: every reader asks the profile at the moment it needs a
// value, and every change is written at once.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// "Place": bit i selects cleaning target i (check box 1002 + i), one bit for
// each of the window's eight; the catalogue's TraceSet reads them.
using CleanSelection = DWORD;
constexpr CleanSelection kCleanSelectionBits = 0xFF;

// "Option": the three options of the options dialog (check box 1002 + i
// shows bit i).
using OptionFlags = DWORD;
constexpr OptionFlags OptionCleanAtShutdown = 1;
constexpr OptionFlags OptionSaveAtExit = 2;
constexpr OptionFlags OptionAutoRun = 4;
constexpr OptionFlags kOptionFlagBits = 0x7;

// The company key below HKCU\Software that the application object is given.
constexpr const char kRegistryKey[] = "Marlowick software";
constexpr const char kSettingsSection[] = "Settings";
constexpr const char kPlaceEntry[] = "Place";
constexpr const char kOptionEntry[] = "Option";
// "MoreTraces" (REG_SZ): the more traces chosen, by their console names
// (settings/MoreTracesValue.h); missing or empty means none.
constexpr const char kMoreTracesEntry[] = "MoreTraces";
// "KeepSites" (REG_MULTI_SZ): the sites whose cookies and site data a clean
// keeps, one a text, as the user typed them; missing or empty means none.
constexpr const char kKeepSitesEntry[] = "KeepSites";

// Each read goes to the registry; a missing or unreadable value is 0.
CleanSelection ReadCleanSelection();
OptionFlags ReadOptionFlags();

// Bits above the defined ones are written as 0. Failures are silent.
void WriteCleanSelection(CleanSelection selection);
void WriteOptionFlags(OptionFlags options);

// The names "MoreTraces" holds; none when it is missing or not a REG_SZ.
std::vector<std::wstring> ReadMoreTraces();
// Stores the names, none as an empty text. Failures are silent.
void WriteMoreTraces(const std::vector<std::wstring>& names);

// The sites "KeepSites" holds; none when it is missing or not a REG_MULTI_SZ.
std::vector<std::wstring> ReadKeepSites();
// Stores the sites, none as an empty list. Failures are silent.
void WriteKeepSites(const std::vector<std::wstring>& sites);
