// Start of Dodavozi.exe to its login window, on a program folder of its own
// (a copy of bin with a one-device list), beside the start of Wine's notepad
// to its window and of "cmd /c exit" to its end. Median and range of N runs.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ProcessWindows.h"
#include "ProgramFolder.h"

namespace {

double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Seconds from CreateProcess to a visible window (or, with waitExit, to the
// process's end); -1 when it did not come within 30 s.
double TimeSystemProgram(const wchar_t* commandLine, bool waitExit) {
    std::wstring line = commandLine;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    const double start = Now();
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) return -1;
    double seconds = -1;
    if (waitExit) {
        if (WaitForSingleObject(info.hProcess, 30000) == WAIT_OBJECT_0) seconds = Now() - start;
    } else {
        for (; Now() - start < 30; Sleep(1)) {
            if (FindProcessWindow(info.dwProcessId)) {
                seconds = Now() - start;
                break;
            }
        }
        TerminateProcess(info.hProcess, 0);
        WaitForSingleObject(info.hProcess, 10000);
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return seconds;
}

double TimeProgramToLogin() {
    ProgramFolder folder;
    folder.WriteOneDeviceList();
    const double start = Now();
    if (!folder.Start()) return -1;
    const HWND login = WaitDialog(folder.MainProcessId(), L"Login", false, 30000);
    return login ? Now() - start : -1;  // the folder ends the program
}

void Report(const char* what, std::vector<double> seconds) {
    std::sort(seconds.begin(), seconds.end());
    std::printf("%-28s median %.2f s, range %.2f - %.2f s (%zu runs)\n", what, seconds[seconds.size() / 2],
                seconds.front(), seconds.back(), seconds.size());
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    std::vector<double> program, notepad, floor;
    for (int run = 0; run < runs; ++run) {
        program.push_back(TimeProgramToLogin());
        notepad.push_back(TimeSystemProgram(L"notepad.exe", false));
        floor.push_back(TimeSystemProgram(L"cmd.exe /c exit", true));
    }
    Report("Dodavozi.exe to login window", program);
    Report("notepad.exe to its window", notepad);
    Report("cmd /c exit to its end", floor);
    return 0;
}
