#include "CPlayControlDlgSkin.h"

#include "SkinBitmap.h"
#include "SkinLayout.h"
#include "app/core/CAppConfig.h"
#include "app/core/CInitLanguage.h"
#include "app/core/TextValues.h"

namespace {

const CAppConfig& ConfigOr(const CAppConfig* config) { return config ? *config : *GetAppConfig(); }

}  // namespace

void CPlayControlDlgSkin::LoadLayout() {
    const SKIN_LAYOUT layout = ReadSkinLayout(ConfigOr(m_pConfig));
    CInitLanguage* language = GetInitLanguage();
    const struct {
        const SKIN_BUTTON_LAYOUT& keys;
        CSkinButton* button;
        UINT id;
    } buttons[] = {
        {layout.pause, &m_pause, IDC_SKIN_PAUSE},
        {layout.start, &m_start, IDC_SKIN_START},
        {layout.stop, &m_stop, IDC_SKIN_STOP},
        {layout.fast, &m_fast, IDC_SKIN_FAST},
        {layout.slow, &m_slow, IDC_SKIN_SLOW},
        {layout.openFile, &m_openFile, IDC_SKIN_OPENFILE},
        {layout.playList, &m_playList, IDC_SKIN_PLAYLIST},
    };
    for (const auto& b : buttons) {
        CreateButtonEx(b.keys.bVisible, b.keys.strPosition, b.keys.strUp, b.keys.strOver, b.keys.strDown,
                       b.keys.strDisable, language->GetString(b.keys.strTipText), b.button, b.id);
        b.button->SetTextColor(ParseColor(layout.strButtonTextColor));
    }
    CreatePlaySlider(layout.bStepLengthVisible, layout.strStepLengthPosition, layout.strSliderBackImageUp,
                     layout.strSliderBackImageOver, layout.strSliderBackImageDown, layout.strSliderBackImageDisable,
                     layout.strSliderImage, &m_slider, IDC_SKIN_STEPLENGTH, language->GetString(L"System Prompt"),
                     language->GetString(L"Load background image [FilePath] failed!"), L"Step Len");
}

BOOL CPlayControlDlgSkin::ApplyMaskRegion() {
    const SKIN_LAYOUT layout = ReadSkinLayout(ConfigOr(m_pConfig));
    const COLORREF mask = ParseColor(layout.strPlayMaskColor);
    CRgn region;
    if (!CreateRegionFromBitmap(&m_backgroundImage, &mask, &region) || !m_pOwner) return FALSE;
    return ApplyWindowRegion(m_pOwner->GetSafeHwnd(), &region, TRUE);
}
