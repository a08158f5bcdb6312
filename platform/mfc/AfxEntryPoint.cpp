// The program's entry point, built as its own object library (mfc_entry) that
// GUI programs link; test runners with their own main do not.
#include "CWinApp.h"

extern "C" int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR cmdLine, int cmdShow) {
    return AfxWinMain(instance, previous, cmdLine, cmdShow);
}

namespace {

// The command line after the program's own (possibly quoted) name.
LPWSTR ArgumentsOf(LPWSTR line) {
    bool quoted = false;
    for (; *line && (quoted || (*line != L' ' && *line != L'\t')); ++line) {
        if (*line == L'"') quoted = !quoted;
    }
    while (*line == L' ' || *line == L'\t') ++line;
    return line;
}

}  // namespace

extern "C" int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR, int cmdShow) {
    return AfxWinMain(instance, previous, ArgumentsOf(GetCommandLineW()), cmdShow);
}
