// The control a dialog's hint line speaks of while the mouse moves over it.
#pragma once

#include <windows.h>

// The window under the mouse for a mouse move the dialog is about to handle:
// the move's own window, or for a move over the dialog itself the child at
// that point (found with skipFlags). Null for the dialog itself and for a
// hidden, disabled or read-only edit control: those get no hint.
HWND HintTargetOf(HWND dialog, const MSG& move, UINT skipFlags = CWP_SKIPINVISIBLE);
