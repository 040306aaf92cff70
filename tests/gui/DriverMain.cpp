// Entry point of the end-to-end driver.
//
// The driver runs inside Wine's virtual desktop (`wine explorer /desktop=...
// driver.exe`), and explorer does not hand the driver's exit code back to
// the runner. So besides printing GoogleTest's report on stdout, the driver
// writes its result ("0" passed, "1" failed) to the file that the runner names
// with --result-file, and the runner exits with that.
#include "tests/gui/DriverOptions.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

gui::DriverOptions g_options;

constexpr const char* QuenbyArg = "--quenby=";
constexpr const char* ResultFileArg = "--result-file=";
constexpr const char* HelpFileArg = "--help-file=";
constexpr const char* ScratchArg = "--scratch=";
constexpr const char* TrashArg = "--trash=";
constexpr const char* KeepStateArg = "--keep-state";
constexpr const char* ProbeDllName = "GuiProbe.dll";

bool TakeArg(const char* arg, const char* prefix, std::string& value) {
    size_t length = std::strlen(prefix);
    if (std::strncmp(arg, prefix, length) != 0)
        return false;
    value = arg + length;
    return true;
}

// The probe DLL is built beside the driver.
std::string ProbeBesideDriver() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string folder(path);
    folder.erase(folder.find_last_of('\\') + 1);
    return folder + ProbeDllName;
}

void WriteResult(const std::string& file, int result) {
    if (file.empty())
        return;
    FILE* out = std::fopen(file.c_str(), "w");
    if (!out)
        return;
    std::fprintf(out, "%d\n", result);
    std::fclose(out);
}

} // namespace

namespace gui {
const DriverOptions& Options() {
    return g_options;
}
} // namespace gui

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    std::string resultFile;
    g_options.probePath = ProbeBesideDriver();
    for (int i = 1; i < argc; ++i) {
        TakeArg(argv[i], QuenbyArg, g_options.quenbyPath) ||
            TakeArg(argv[i], ResultFileArg, resultFile) ||
            TakeArg(argv[i], HelpFileArg, g_options.helpFilePath) ||
            TakeArg(argv[i], ScratchArg, g_options.scratchFolder) ||
            TakeArg(argv[i], TrashArg, g_options.trashFolder);
        g_options.keepState |= std::strcmp(argv[i], KeepStateArg) == 0;
    }
    int result = 1;
    if (g_options.quenbyPath.empty() || g_options.scratchFolder.empty())
        std::fprintf(stderr,
                     "usage: driver %s<Quenby.exe> %s<folder> [%s<file>] [%s<file>] [%s<folder>]\n",
                     QuenbyArg, ScratchArg, ResultFileArg, HelpFileArg, TrashArg);
    else
        result = RUN_ALL_TESTS() == 0 ? 0 : 1;
    std::fflush(stdout);
    WriteResult(resultFile, result);
    return result;
}
