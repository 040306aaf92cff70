// What the runner tells the driver on its command line.
#pragma once

#include <string>

namespace gui {

struct DriverOptions {
    // The program under test (a Windows path).
    std::string quenbyPath;
    // The probe DLL that the driver hooks into the program (a Windows path).
    std::string probePath;
    // A real help file to place beside copies of the program; empty when the
    // runner could not make one.
    std::string helpFilePath;
    // A scratch folder inside the sandbox for copies of the program.
    std::string scratchFolder;
    // The recycle bin's store on the Unix side, the freedesktop trash of the
    // sandbox (a Windows path to its folder, which holds "files" and "info");
    // empty when the runner did not name it.
    std::string trashFolder;
    // Set for the packages' tests: what a test leaves in the registry (the
    // settings key, the Run values it added) stays for the runner to check
    // after an uninstall.
    bool keepState = false;
};

// Filled by main before the tests run.
const DriverOptions& Options();

} // namespace gui
