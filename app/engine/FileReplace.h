// Rewriting a whole file so that a reader never sees half of it: the bytes go
// to a temporary file beside the target, which then replaces the target.
#pragma once

#include <afx.h>

#include <stddef.h>

// Returns 0 once the target holds exactly the bytes; -1 when the temporary
// file cannot be created or written (the target is untouched); -2 when the
// replace fails (the temporary file is removed, the target is untouched).
int WriteFileReplacing(const CString& path, const void* data, size_t length);
