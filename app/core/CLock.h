// The program's stores name the lock by its place in app/core; the lock
// itself lives in common/ so that every binary uses the same one.
#pragma once

#include "common/CLock.h"
