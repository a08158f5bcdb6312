#include "CDeviceFormEdits.h"

#include "CDeviceForm.h"
#include "app/ui/dialogs/DialogMessages.h"
#include "app/core/CAppConfig.h"
#include "app/core/TextValues.h"
#include "app/ui/toolkit/CCtrlColorChange.h"
#include "app/ui/dialogs/resource.h"

namespace {

const wchar_t kDigits[] = L"1234567890";
const wchar_t kAddressChars[] = L"1234567890abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_+./-";
const wchar_t kNameChars[] = L"1234567890abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_-";

}  // namespace

void CDeviceFormEdits::Bind(CDataExchange* dx) {
    DDX_Control(dx, IDC_DEVMANAGE_TITLE, title);
    DDX_Control(dx, IDC_DEVMANAGE_DESC, desc);
    DDX_Control(dx, IDC_DEVMANAGE_LOGINUSER, loginUser);
    DDX_Control(dx, IDC_DEVMANAGE_IP, ip);
    DDX_Control(dx, IDC_DEVMANAGE_PORT, port);
    DDX_Control(dx, IDC_DEVMANAGE_PASSWORD, password);
    DDX_Control(dx, IDC_DEVMANAGE_CONFIRM, confirm);
    DDX_Control(dx, IDC_DEVMANAGE_CARDSN, card);
    DDX_Control(dx, IDC_DEVMANAGE_CHANNELS, channels);
    DDX_Control(dx, IDC_DEVMANAGE_DDNSIP, ddnsIp);
    DDX_Control(dx, IDC_DEVMANAGE_DDNSPORT, ddnsPort);
    DDX_Control(dx, IDC_DEVMANAGE_DDNSNAME, ddnsName);
}

void CDeviceFormEdits::SetUp(int defaultPort) {
    struct EDIT_SETUP {
        CSupperEdit* edit;
        const wchar_t* allowed;  // null: everything but the double quote
        int maxBytes;
    };
    const EDIT_SETUP setups[] = {
        {&title, nullptr, 32},        {&desc, nullptr, 256},         {&ip, kAddressChars, 256},
        {&port, kDigits, 5},          {&loginUser, kUserIdChars, 8}, {&password, kUserIdChars, 8},
        {&confirm, kUserIdChars, 8},  {&ddnsIp, kAddressChars, 256}, {&ddnsPort, kDigits, 5},
        {&ddnsName, kNameChars, 172}, {&card, kNameChars, 32},       {&channels, kDigits, 3},
    };
    for (const EDIT_SETUP& setup : setups) {
        setup.edit->PrepareFilter();
        if (setup.allowed) {
            setup.edit->SetAllowedChars(setup.allowed);
            setup.edit->SetAllowPaste(FALSE);
        } else {
            setup.edit->SetDeniedChars(L"\"");
            setup.edit->SetAllowPaste(TRUE);
        }
        setup.edit->SetMaxByteLen(setup.maxBytes);
    }
    CString portText;
    portText.Format(L"%d", defaultPort);
    port.SetDefaultText(portText);
    ddnsPort.SetDefaultText(CDeviceForm::kDefaultDdnsPortText);
    channels.SetDefaultText(L"4");
}

void CDeviceFormEdits::SetColors(CWnd* dialog, CCtrlColorChange& colors) {
    CAppConfig* config = GetAppConfig();
    const COLORREF focused = ParseColor(config->m_strFocusColor);
    const COLORREF normal = ParseColor(config->m_strNormalColor);
    const COLORREF readOnly = ParseColor(config->m_strReadOnlyColor);
    const int colored[] = {IDC_DEVMANAGE_TITLE,   IDC_DEVMANAGE_DESC,      IDC_DEVMANAGE_IP,
                           IDC_DEVMANAGE_PORT,    IDC_DEVMANAGE_LOGINUSER, IDC_DEVMANAGE_PASSWORD,
                           IDC_DEVMANAGE_CONFIRM, IDC_DEVMANAGE_CARDSN,    IDC_DEVMANAGE_CHANNELS,
                           IDC_DEVMANAGE_DDNSIP,  IDC_DEVMANAGE_DDNSPORT,  IDC_DEVMANAGE_DDNSNAME};
    for (int id : colored) colors.SetCtrlColors(dialog, id, focused, normal, readOnly);
}
