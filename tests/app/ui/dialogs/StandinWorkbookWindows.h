// The spreadsheet stand-in's workbook windows on the calling thread (the
// stand-in is an in-process server, so they belong to its client's thread).
#pragma once

#include <windows.h>
#include <vector>

std::vector<HWND> StandinWorkbookWindows();
