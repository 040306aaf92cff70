// The cleaning definitions' side of the benchmarks, run by
// scripts/run-benchmarks.sh on the current winapp2.ini:
//
//   bench_definitions seed FILE SEED COUNT
//       makes COUNT entries of FILE, chosen by SEED, found on this PC: the
//       first folder or registry key each one detects is created (under the
//       user's own folders and HKCU only)
//   bench_definitions load FILE
//       reads and checks FILE, then asks every entry whether it is found;
//       prints the milliseconds of each, then the counts
//   bench_definitions plain FILE
//       the reference for "load": reads FILE with one ReadFile and converts
//       it from UTF-8 with MultiByteToWideChar; prints the milliseconds
//   bench_definitions chooser FILE|-
//       what opening the chooser asks of the catalogue: the built-in
//       programs and the file's entries joined (none with "-", the
//       reference), then whether each program and each trace is found;
//       prints the milliseconds
//
// It refuses to run outside the sandbox of scripts/sandbox.sh, since it
// creates folders and keys.
#include "catalogue/Definitions.h"
#include "platform/Handles.h"
#include "tests/bench/Stopwatch.h"

#include <windows.h>

#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

const char SandboxVariable[] = "QUENBY_SANDBOX";
const int ExitOk = 0;
const int ExitFailed = 1;
const int ExitUsage = 2;

// The CPU time of this process so far, in milliseconds: what the work cost
// however busy the machine was.
double CpuMs() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ms = [](const FILETIME& time) {
        return double((ULONGLONG(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 10000.0;
    };
    return ms(kernel) + ms(user);
}

bool InSandbox() {
    const char* sandbox = std::getenv(SandboxVariable);
    return sandbox != nullptr && sandbox[0] != '\0';
}

std::wstring Wide(const char* text) {
    return std::wstring(text, text + strlen(text));
}

std::shared_ptr<const LoadedDefinitions> Load(const char* path) {
    DWORD error = 0;
    auto loaded = LoadDefinitions(Wide(path), false, error);
    if (!loaded)
        std::fprintf(stderr, "cannot read %s: error %lu\n", path, error);
    return loaded;
}

// The first thing the entry detects, made to exist where the user may make it.
bool MakeFound(const Definition& entry) {
    for (const std::wstring& path : entry.detectFiles) {
        if (path.find_first_of(L"*?") == std::wstring::npos &&
            SHCreateDirectoryExW(nullptr, path.c_str(), nullptr) == ERROR_SUCCESS)
            return true;
    }
    for (const RegistryPath& key : entry.detectKeys) {
        platform::UniqueHKey created;
        if (key.hive == HKEY_CURRENT_USER &&
            RegCreateKeyExW(key.hive, key.key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                            created.put(), nullptr) == ERROR_SUCCESS)
            return true;
    }
    return false;
}

int Seed(int argc, char** argv) {
    if (argc != 5)
        return ExitUsage;
    const auto loaded = Load(argv[2]);
    if (!loaded)
        return ExitFailed;
    std::mt19937 random(unsigned(std::strtoul(argv[3], nullptr, 10)));
    const std::vector<Definition>& entries = loaded->file.entries;
    int made = 0;
    for (int tries = 0; made < std::atoi(argv[4]) && tries < int(entries.size()); ++tries) {
        const Definition& entry = entries[random() % entries.size()];
        made += entry.Runs() && MakeFound(entry);
    }
    std::printf("%d\n", made);
    return ExitOk;
}

int LoadAndDetect(int argc, char** argv) {
    if (argc != 3)
        return ExitUsage;
    Stopwatch stopwatch;
    const double cpuStart = CpuMs();
    const auto loaded = Load(argv[2]);
    if (!loaded)
        return ExitFailed;
    const double read = stopwatch.ElapsedMs(), readCpu = CpuMs() - cpuStart;
    stopwatch.Restart();
    size_t found = 0, runs = 0;
    for (const Definition& entry : loaded->file.entries) {
        if (entry.Runs()) {
            ++runs;
            found += DefinitionFound(entry, loaded->context);
        }
    }
    std::printf("%.3f %.3f %.3f %.3f %zu %zu %zu\n", read, stopwatch.ElapsedMs(), readCpu,
                CpuMs() - cpuStart - readCpu, loaded->file.entries.size(), runs, found);
    return ExitOk;
}

int Plain(int argc, char** argv) {
    if (argc != 3)
        return ExitUsage;
    Stopwatch stopwatch;
    platform::UniqueFile file(CreateFileA(argv[2], GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (!file || !GetFileSizeEx(file.get(), &size))
        return ExitFailed;
    std::string bytes(size_t(size.QuadPart), '\0');
    DWORD read = 0;
    if (!ReadFile(file.get(), &bytes[0], DWORD(bytes.size()), &read, nullptr))
        return ExitFailed;
    const int length = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), int(read), nullptr, 0);
    std::wstring text(size_t(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), int(read), &text[0], length);
    std::printf("%.3f %zu\n", stopwatch.ElapsedMs(), text.size());
    return ExitOk;
}

int Chooser(int argc, char** argv) {
    if (argc != 3)
        return ExitUsage;
    Stopwatch stopwatch;
    const double cpuStart = CpuMs();
    const bool none = std::string(argv[2]) == "-";
    const auto loaded = none ? nullptr : Load(argv[2]);
    if (!none && !loaded)
        return ExitFailed;
    Catalogue catalogue = Catalogue::BuiltInTraces();
    AddDefinitions(catalogue, loaded);
    size_t shown = 0;
    for (const Program& program : catalogue.Programs()) {
        if (!Catalogue::Found(program))
            continue;
        for (size_t trace : program.traces)
            shown += catalogue.Found(trace);
    }
    std::printf("%.3f %.3f %zu\n", stopwatch.ElapsedMs(), CpuMs() - cpuStart, shown);
    return ExitOk;
}

} // namespace

int main(int argc, char** argv) {
    if (!InSandbox()) {
        std::fprintf(stderr, "bench_definitions: run it through scripts/sandbox.sh\n");
        return ExitUsage;
    }
    const std::string mode = argc > 1 ? argv[1] : "";
    const int status = mode == "seed"      ? Seed(argc, argv)
                       : mode == "load"    ? LoadAndDetect(argc, argv)
                       : mode == "plain"   ? Plain(argc, argv)
                       : mode == "chooser" ? Chooser(argc, argv)
                                           : ExitUsage;
    if (status == ExitUsage)
        std::fprintf(stderr,
                     "usage: bench_definitions seed|load|plain|chooser FILE [SEED COUNT]\n");
    return status;
}
