// The program's version: the version resource, the packages' file names and
// the installers' metadata all take it from here.
#pragma once

#define QUENBY_VERSION_MAJOR 1
#define QUENBY_VERSION_MINOR 0
#define QUENBY_VERSION_PATCH 0
#define QUENBY_VERSION_BUILD 1
#define QUENBY_VERSION_TEXT "1.0.0.1"
