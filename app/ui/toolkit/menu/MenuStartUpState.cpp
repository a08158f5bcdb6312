#include "MenuStartUpState.h"

#include "CMenuTheme2003.h"
#include "CMenuThemeXP.h"
#include "CStyleMenu.h"
#include "CStyleMenuHook.h"

namespace {

int ThemeKind(const CMenuTheme* theme) {
    if (dynamic_cast<const CMenuTheme2003*>(theme)) return kMenuThemeGradient;
    if (dynamic_cast<const CMenuThemeXP*>(theme)) return kMenuThemeFlat;
    return kMenuThemePlain;
}

void ReadThemes(MenuStartUpState* state) {
    state->themeCount = -1;
    if (!CStyleMenu::s_pThemeList) return;
    state->themeCount = static_cast<int>(CStyleMenu::s_pThemeList->GetCount());
    POSITION pos = CStyleMenu::s_pThemeList->GetHeadPosition();
    for (int i = 0; pos && i < kMenuStateMaxThemes; ++i) {
        const CMenuTheme* theme = CStyleMenu::s_pThemeList->GetNext(pos);
        state->themeIds[i] = theme->styleId;
        state->themeKinds[i] = ThemeKind(theme);
        state->themeFlags[i] = theme->flags;
        state->themeHasRoutines[i] = theme->HasRoutines();
    }
}

}  // namespace

void ReadMenuStartUpState(MenuStartUpState* state) {
    typedef CStyleMenu M;
    ZeroMemory(state, sizeof *state);
    state->hook = reinterpret_cast<UINT_PTR>(CStyleMenuHook::s_hHook);
    state->winVersion = M::s_winVersion;
    state->isWine = M::s_isWine;
    state->isHighContrast = M::s_isHighContrast;
    state->isRemoteSession = M::s_isRemoteSession;
    state->uxThemeBound = M::s_hUxTheme != nullptr;
    state->isThemeActiveBound = M::s_pfnIsThemeActive != nullptr;
    state->setWindowThemeBound = M::s_pfnSetWindowTheme != nullptr;
    state->msimg32Bound = M::s_hMsimg32 != nullptr;
    state->gradientFillBound = M::s_pfnGradientFill != nullptr;
    ReadThemes(state);
    state->currentStyle = M::GetMenuDrawStyle();
    state->hookDataCount = CStyleMenuHook::HookDataCount();
    state->sharedIconStores = M::s_pSharedIconStores ? static_cast<int>(M::s_pSharedIconStores->GetCount()) : -1;
}
