// The start-with-Windows entry: a REG_SZ value under the current user's
// "Run" key, named after the executable's file name and holding its full path.
#pragma once

// A non-zero argument writes the entry, zero deletes it. Returns -1 when the
// "Run" key cannot be opened (it is never created), -2 when the module path
// holds no backslash, and 0 otherwise, whether or not the write or delete
// succeeded.
int SetAutoRun(int enable);
