// What the stand-in records for tests under its own key,
// HKCU\Software\Dodavozi\SpreadsheetStandin: nothing is recorded unless a
// test has created that key. Values: "OutputFolder" (set by tests: where
// workbooks are written), "ApplicationsCreated", "ApplicationsRunning",
// "ApplicationsQuit" (Quit calls), "LiveObjects" (objects referenced from outside) and "LastAddArguments".
#pragma once

#include <string>

namespace StandinRecord {

extern const wchar_t kKeyPath[];

// The folder workbooks are written into; empty when no test named one.
std::wstring OutputFolder();
// Adds delta to the DWORD counter name (no-op without the key).
void Count(const wchar_t* name, long delta);
void SetText(const wchar_t* name, const std::wstring& text);

}  // namespace StandinRecord
