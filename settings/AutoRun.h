// The start-with-Windows entry: a REG_SZ value under the current user's
// "Run" key, named after the executable's file name and holding its full path
// in double quotes.
#pragma once

// A non-zero argument writes the entry, zero deletes it. Returns -1 when the
// "Run" key cannot be opened (it is never created), -2 when the module path
// holds no backslash, and 0 otherwise, whether or not the write or delete
// succeeded.
int SetAutoRun(int enable);

// Rewrites the entry in quotes when it holds this program's path without
// them, as earlier versions wrote it; any other value, or none, stays as it
// is. Returns what SetAutoRun returns.
int RequoteAutoRun();
