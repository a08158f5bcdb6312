// The framework's wrappers of the system's common dialogs.
#pragma once

#include "afxwin.h"

#include "CFileDialog.h"
#include "CFolderPickerDialog.h"
