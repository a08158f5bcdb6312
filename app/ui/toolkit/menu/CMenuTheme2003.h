// The gradient draw styles 8 and 9: painted as the flat styles, with the
// gradient item routine bound.
#pragma once

#include "CMenuThemeXP.h"

class CMenuTheme2003 : public CMenuThemeXP {
public:
    using CMenuThemeXP::CMenuThemeXP;
};
