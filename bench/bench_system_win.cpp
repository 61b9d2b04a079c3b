#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "bench/bench_system.h"
#include "conversion/run.h"
#include "windows_text/windows_text.h"

namespace quellmark::bench {

bool CopyByBlocks(const std::filesystem::path& From, const std::filesystem::path& To) {
    HANDLE Input = CreateFileW(From.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    HANDLE Output = CreateFileW(To.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    std::vector<char> Block(1 << 20);
    bool Ok = Input != INVALID_HANDLE_VALUE && Output != INVALID_HANDLE_VALUE;
    for (DWORD Count = 0;
         Ok && ReadFile(Input, Block.data(), static_cast<DWORD>(Block.size()), &Count, nullptr) &&
         Count > 0;) {
        DWORD Written = 0;
        Ok = WriteFile(Output, Block.data(), Count, &Written, nullptr) && Written == Count;
    }
    Ok = Ok && FlushFileBuffers(Output);
    CloseHandle(Input);
    CloseHandle(Output);
    return Ok;
}

double PeakMegabytes() {
    PROCESS_MEMORY_COUNTERS Counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &Counters, sizeof Counters);
    return static_cast<double>(Counters.PeakWorkingSetSize) / (1 << 20);
}

// Starts this program again to run one conversion, and reads the peak of that process.
double RunPeakMegabytes(const std::filesystem::path& Input, const std::filesystem::path& Output) {
    std::wstring Self(32768, L'\0');
    Self.resize(GetModuleFileNameW(nullptr, Self.data(), static_cast<DWORD>(Self.size())));
    std::wstring Command =
        L"\"" + Self + L"\" run-one \"" + Input.wstring() + L"\" \"" + Output.wstring() + L"\"";
    STARTUPINFOW Startup{};
    Startup.cb = sizeof Startup;
    PROCESS_INFORMATION Process{};
    if (!CreateProcessW(nullptr, Command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &Startup, &Process)) {
        return 0;
    }
    WaitForSingleObject(Process.hProcess, INFINITE);
    PROCESS_MEMORY_COUNTERS Counters{};
    GetProcessMemoryInfo(Process.hProcess, &Counters, sizeof Counters);
    CloseHandle(Process.hThread);
    CloseHandle(Process.hProcess);
    return static_cast<double>(Counters.PeakWorkingSetSize) / (1 << 20);
}

bool RunOneIfAsked(int argc, char** argv) {
    if (argc != 4 || std::string_view(argv[1]) != "run-one") {
        return false;
    }
    ConversionRun({argv[2], argv[3], IconState::Low, CommandType::Views});
    return true;
}

unsigned long ProcessId() {
    return GetCurrentProcessId();
}

bool RunProgram(const std::vector<std::string>& Command, const std::filesystem::path& Folder) {
    std::wstring Line;
    for (const auto& Word : Command) {
        Line += (Line.empty() ? L"\"" : L" \"") + WideText(Word) + L"\"";
    }
    STARTUPINFOW Startup{};
    Startup.cb = sizeof Startup;
    PROCESS_INFORMATION Process{};
    if (!CreateProcessW(nullptr, Line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        Folder.wstring().c_str(), &Startup, &Process)) {
        return false;
    }
    WaitForSingleObject(Process.hProcess, INFINITE);
    CloseHandle(Process.hThread);
    CloseHandle(Process.hProcess);
    return true;
}

bool CopyFilesSynced(const std::vector<std::string>& Files, const std::filesystem::path& From,
                     const std::filesystem::path& To) {
    bool Ok = true;
    for (const auto& Name : Files) {
        const auto Copy = To / Name;
        Ok = Ok && CopyFileW((From / Name).wstring().c_str(), Copy.wstring().c_str(), FALSE);
        const HANDLE File = CreateFileW(Copy.wstring().c_str(), GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
        Ok = Ok && File != INVALID_HANDLE_VALUE && FlushFileBuffers(File);
        CloseHandle(File);
    }
    return Ok;
}

void FlushDisks() {}

}  // namespace quellmark::bench
