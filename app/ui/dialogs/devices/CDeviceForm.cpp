#include "CDeviceForm.h"

#include <string.h>

#include "app/ui/dialogs/DialogMessages.h"
#include "app/ui/dialogs/mainwindow/TaskListRow.h"
#include "app/ui/toolkit/CSupperEdit.h"
#include "app/ui/dialogs/resource.h"

namespace {

const int kMaxPort = 65535;

int AnsiBytes(const CString& text) { return CSupperEdit::CountBytes(text, CP_ACP); }

// A number box: empty counts as 0; digits only, so no sign to handle.
long long NumberOf(const CString& text) { return _wtoi64(text); }

template <size_t N>
void SetField(char (&field)[N], const CString& text) {
    CopyFixedText(field, CStringA(text));
}

CString TooLong(const wchar_t* what, int limit) {
    CString text;
    text.Format(L"%s %d !", Translate(what).GetString(), limit);
    return text;
}

// A limit of single-byte characters, told with its double-byte equivalent.
CString TooLongWide(const wchar_t* what, int limit) {
    CString text;
    text.Format(L"%s %d (%s:%d)!", Translate(what).GetString(), limit, Translate(L"Wide Char").GetString(), limit / 2);
    return text;
}

}  // namespace

const wchar_t CDeviceForm::kDefaultDdnsPortText[] = L"7070";
const char* const CDeviceForm::kTypeKeys[] = {"IPC", "DVR", "IPSD", "NVS", "SVR", "SVR_BS"};
const int CDeviceForm::kTypeCount = 6;
const CDeviceForm::LOGIN_TYPE CDeviceForm::kLoginTypes[] = {
    {L"NetWork Type TCP", 0}, {L"Initiative Login", 2}, {L"Group BroadCast", 3}, {L"NetWork Type UDP", 4}};
const int CDeviceForm::kLoginTypeCount = 4;

void CDeviceForm::Exchange(CDataExchange* dx) {
    DDX_Text(dx, IDC_DEVMANAGE_TITLE, title);
    DDX_Text(dx, IDC_DEVMANAGE_DESC, desc);
    DDX_Text(dx, IDC_DEVMANAGE_IP, ip);
    DDX_Text(dx, IDC_DEVMANAGE_PORT, port);
    DDX_Text(dx, IDC_DEVMANAGE_LOGINUSER, user);
    DDX_Text(dx, IDC_DEVMANAGE_PASSWORD, password);
    DDX_Text(dx, IDC_DEVMANAGE_CONFIRM, confirm);
    DDX_CBString(dx, IDC_DEVMANAGE_MODEL, model);
    DDX_CBString(dx, IDC_DEVMANAGE_TYPE, type);
    DDX_Text(dx, IDC_DEVMANAGE_CARDSN, cardSn);
    DDX_Text(dx, IDC_DEVMANAGE_CHANNELS, channelCount);
    DDX_Check(dx, IDC_DEVMANAGE_USEDDNS, useDdns);
    DDX_Text(dx, IDC_DEVMANAGE_DDNSIP, ddnsIp);
    DDX_Text(dx, IDC_DEVMANAGE_DDNSPORT, ddnsPort);
    DDX_Text(dx, IDC_DEVMANAGE_DDNSNAME, ddnsName);
}

void CDeviceForm::Clear(int defaultPort, const CString& firstModel, const CString& firstType) {
    title.Empty();
    desc.Empty();
    ip.Empty();
    user.Empty();
    password.Empty();
    confirm.Empty();
    port.Format(L"%d", defaultPort);
    model = firstModel;
    type = firstType;
    useDdns = 0;
    ddnsIp.Empty();
    ddnsName.Empty();
    cardSn.Empty();
    ddnsPort = kDefaultDdnsPortText;
}

void CDeviceForm::FromRecord(const DEVICE_RECORD& record) {
    const bool selfRegistering = record.logintype == kLoginTypeSelfRegistering;
    title = FieldText(record.title);
    desc = FieldText(record.desc);
    ip = selfRegistering ? CString() : FieldText(record.ip);
    port.Format(L"%u", static_cast<unsigned>(record.port));
    user = FieldText(record.user);
    channelCount.Format(L"%d", record.channelCount);
    password = FieldText(record.password);
    confirm = password;
    model = FieldText(record.model);
    type = Translate(FieldText(record.type));
    cardSn = FieldText(record.cardsn);
    useDdns = record.UseDDNS ? 1 : 0;
    if (record.UseDDNS) {
        ddnsIp = FieldText(record.DDNSIP);
        ddnsPort.Format(L"%u", static_cast<unsigned>(record.DDNSPort));
        ddnsName = FieldText(record.DDNSDevName);
    } else {
        ddnsIp.Empty();
        ddnsName.Empty();
        ddnsPort = kDefaultDdnsPortText;
    }
}

CString CDeviceForm::Refusal(int loginType) const {
    if (title.IsEmpty()) return Translate(L"Title is empty!");
    if (AnsiBytes(title) > 32) return TooLongWide(L"Device name length can not be more than", 32);
    if (AnsiBytes(desc) > 256) return TooLongWide(L"Descant length can not be more than", 256);
    if (AnsiBytes(user) > 8) return TooLong(L"Login device's user id length can not be more than", 8);
    if (password != confirm) return Translate(L"Two password is different!");
    if (AnsiBytes(password) > 8) return TooLong(L"Login device's password length can not be more than", 8);
    if (loginType == kLoginTypeSelfRegistering) {
        if (cardSn.IsEmpty()) return Translate(L"Please input card serial number!");
        if (AnsiBytes(cardSn) > 32) return TooLong(L"Card serial number length can not be more than", 32);
        if (NumberOf(port) > kMaxPort) return TooLong(L"Port can not be more than", kMaxPort);
        const long long channels = NumberOf(channelCount);
        if (channelCount.IsEmpty() || channels == 0 || channels > 256)
            return Translate(L"Please input device channel count!");
    } else if (useDdns) {
        if (ddnsIp.IsEmpty() || AnsiBytes(ddnsIp) > 256) return Translate(L"IP is wrong!");
        if (NumberOf(ddnsPort) > kMaxPort) return TooLong(L"Port can not be more than", kMaxPort);
        if (AnsiBytes(ddnsName) > 172) return TooLong(L"DDNS device's name length can not be more than", 172);
    } else {
        if (ip.IsEmpty() || AnsiBytes(ip) > 256) return Translate(L"IP is wrong!");
        if (NumberOf(port) > kMaxPort) return TooLong(L"Port can not be more than", kMaxPort);
    }
    return CString();
}

void CDeviceForm::ToRecord(DEVICE_RECORD& record, int loginType, int typeIndex) const {
    SetField(record.title, title);
    SetField(record.desc, desc);
    SetField(record.ip, ip);
    SetField(record.user, user);
    SetField(record.password, password);
    SetField(record.manufacturer, Translate(L"Duzadazozivo1"));
    if (typeIndex >= 0 && typeIndex < kTypeCount) CopyFixedText(record.type, kTypeKeys[typeIndex]);
    SetField(record.model, model);
    SetField(record.cardsn, cardSn);
    record.port = static_cast<uint16_t>(NumberOf(port));
    record.logintype = loginType;
    if (record.logintype == kLoginTypeSelfRegistering)
        record.channelCount = static_cast<int32_t>(NumberOf(channelCount));
    record.UseDDNS = useDdns ? 1 : 0;
    if (record.UseDDNS) {
        SetField(record.DDNSIP, ddnsIp);
        SetField(record.DDNSDevName, ddnsName);
        record.DDNSPort = static_cast<uint16_t>(NumberOf(ddnsPort));
    } else {
        memset(record.DDNSIP, 0, sizeof record.DDNSIP);
        memset(record.DDNSDevName, 0, sizeof record.DDNSDevName);
        record.DDNSPort = kDefaultDdnsPort;
    }
}

int CDeviceForm::LoginTypeIndex(int loginType) {
    for (int i = 0; i < kLoginTypeCount; ++i) {
        if (kLoginTypes[i].value == loginType) return i;
    }
    return -1;
}
