// The program's stores name the guard by its place in app/core; the guard
// itself lives in common/ beside its lock.
#pragma once

#include "common/CAutoLock.h"
