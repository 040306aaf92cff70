// The eight kinds of usage traces, in the order of the main dialog's check
// boxes. A value is at once the index of its check-box flag, its bit in the
// stored selection, its index in the catalogue and its place in the order in
// which a clean run works.
#pragma once

enum CleanTarget : int {
    RealPlayer = 0,
    MediaPlayer = 1,
    RecentDocuments = 2,
    IEHistory = 3,
    IEAddressBar = 4,
    IEAutoComplete = 5,
    IEPasswords = 6,
    RecycleBin = 7,
};

constexpr int CleanTargetCount = 8;
