// The eight targets as the console program names them: a short name for the
// command line, and the label of the window's check box.
#pragma once

#include "clean/CleanTarget.h"

#include <string>

struct TargetName {
    CleanTarget target;
    const char* name;
    const char* label;
};

// In target order, which is also the order of a clean run.
extern const TargetName kTargetNames[CleanTargetCount];

// The target named `name` (case ignored); false when none is.
bool FindTarget(const std::string& name, CleanTarget& target);

// "realplayer, mediaplayer, ...": every valid name, for messages.
std::string TargetNameList();
