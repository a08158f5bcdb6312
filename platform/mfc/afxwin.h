// Windows, dialogs, controls and GDI wrappers of the framework.
#pragma once

#include "afx.h"
