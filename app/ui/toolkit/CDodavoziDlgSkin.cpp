#include "CDodavoziDlgSkin.h"

#include "SkinLayout.h"
#include "app/core/CAppConfig.h"
#include "app/core/CInitLanguage.h"

void CDodavoziDlgSkin::LoadLayout() {
    const SKIN_LAYOUT layout = ReadSkinLayout(m_pConfig ? *m_pConfig : *GetAppConfig());
    const struct {
        const SKIN_BUTTON_LAYOUT& keys;
        CSkinButton* button;
        UINT id;
    } buttons[] = {
        {layout.downLoadStart, &m_downloadStart, IDC_SKIN_DOWNLOAD},
        {layout.downLoadStop, &m_downloadStop, IDC_SKIN_DOWNLOAD},
        {layout.manage, &m_recordManage, IDC_SKIN_MANAGE},
        {layout.search, &m_logQuery, IDC_SKIN_SEARCH},
        {layout.sysConfig, &m_sysConfig, IDC_SKIN_SYSCONFIG},
        {layout.exit, &m_exit, IDC_SKIN_EXIT},
    };
    for (const auto& b : buttons) {
        CreateButtonEx(b.keys.bVisible, b.keys.strPosition, b.keys.strUp, b.keys.strOver, b.keys.strDown,
                       b.keys.strDisable, GetInitLanguage()->GetString(b.keys.strTipText), b.button, b.id);
        if (b.button == &m_downloadStop && m_downloadStop.GetSafeHwnd()) m_downloadStop.ShowWindow(SW_HIDE);
    }
}
