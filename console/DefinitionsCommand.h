// "QuenbyCmd definitions": which file of cleaning definitions Quenby reads,
// its version line, how many entries and rules it holds, how many of its
// entries are found on this PC, and every refusal with its line number and
// reason.
#pragma once

#include "console/ConsoleStream.h"

// Answers 0 when a file was read, 1 when there is none or it cannot be read.
int RunDefinitions(ConsoleStream& out);
