// CPlayControlDlgSkin: the skin of the record manager's play-control bar:
// seven skinned buttons and the position slider laid out from play.ini, and
// the bar's window region from the background image and the mask colour.
#pragma once

#include "CLoadBmpEx.h"
#include "CPlaySlider.h"
#include "CSkinButton.h"

class CAppConfig;

const UINT IDC_SKIN_PAUSE = 2475;
const UINT IDC_SKIN_START = 2476;
const UINT IDC_SKIN_STOP = 2477;
const UINT IDC_SKIN_FAST = 2478;
const UINT IDC_SKIN_SLOW = 2479;
const UINT IDC_SKIN_OPENFILE = 2482;
const UINT IDC_SKIN_PLAYLIST = 2483;
const UINT IDC_SKIN_STEPLENGTH = 2484;

class CPlayControlDlgSkin : public CLoadBmpEx {
public:
    // The layout comes from config, or from GetAppConfig() when NULL.
    explicit CPlayControlDlgSkin(const CAppConfig* config = nullptr) : m_pConfig(config) {}
    ~CPlayControlDlgSkin() override = default;

    // Seven buttons (caption colour from the configuration, black without a
    // key), then the slider; a slider image that fails leaves the slider out.
    void LoadLayout() override;
    // Shapes the owner by the background image without the play.ini mask
    // colour. TRUE when the window took the region (it is then the system's).
    BOOL ApplyMaskRegion();
    // Whether the slider exists: its timer may only run then.
    BOOL HasSlider() const { return m_slider.GetSafeHwnd() != nullptr; }

    CPlaySlider m_slider;
    CSkinButton m_pause;
    CSkinButton m_start;
    CSkinButton m_stop;
    CSkinButton m_fast;
    CSkinButton m_slow;
    CSkinButton m_openFile;
    CSkinButton m_playList;

private:
    const CAppConfig* m_pConfig;
};
