// CDodavoziDlgSkin: the main window's skin: its size and six skinned buttons
// laid out from DivozoRivovid.ini. The two download buttons share one id: the
// main window shows the one that matches the automatic-download state.
#pragma once

#include "CLoadBmpEx.h"
#include "CSkinButton.h"

class CAppConfig;

const UINT IDC_SKIN_DOWNLOAD = 2485;
const UINT IDC_SKIN_MANAGE = 2486;
const UINT IDC_SKIN_SEARCH = 2487;
const UINT IDC_SKIN_SYSCONFIG = 2488;
const UINT IDC_SKIN_EXIT = 2489;

class CDodavoziDlgSkin : public CLoadBmpEx {
public:
    // The layout comes from config, or from GetAppConfig() when NULL.
    explicit CDodavoziDlgSkin(const CAppConfig* config = nullptr) : m_pConfig(config) {}
    ~CDodavoziDlgSkin() override = default;

    // Six buttons in the order of the members below; the stop twin is hidden.
    void LoadLayout() override;

    CSkinButton m_downloadStart;
    CSkinButton m_downloadStop;
    CSkinButton m_recordManage;
    CSkinButton m_logQuery;
    CSkinButton m_sysConfig;
    CSkinButton m_exit;

private:
    const CAppConfig* m_pConfig;
};
