// CDeviceForm: the texts of the device dialog's form as the dialog exchanges
// them with its boxes, their checks, and their way to and from a device
// record. Numbers are kept as typed: an emptied box is not the framework's
// "enter an integer" error but one of the form's checks.
#pragma once

#include <afxwin.h>

#include "app/engine/DEVICE_RECORD.h"

class CDeviceForm {
public:
    // The login type of a device that registers itself: it has no address
    // to reach, but a card serial number and a channel count typed in.
    static const int kLoginTypeSelfRegistering = 2;
    static const wchar_t kDefaultDdnsPortText[];
    // The device type keys, in the order of the type combo.
    static const char* const kTypeKeys[];
    static const int kTypeCount;
    struct LOGIN_TYPE {
        const wchar_t* key;
        int value;
    };
    // The login types, in the order of the login type combo.
    static const LOGIN_TYPE kLoginTypes[];
    static const int kLoginTypeCount;

    // The texts to (save) or from the dialog's boxes.
    void Exchange(CDataExchange* dx);
    // Every box emptied but the port (the default one), model and type (the
    // combos' first entries) and the DDNS port.
    void Clear(int defaultPort, const CString& firstModel, const CString& firstType);
    void FromRecord(const DEVICE_RECORD& record);
    // The translated refusal of the texts for the login type, or "" when
    // they pass.
    CString Refusal(int loginType) const;
    // The texts into the record (the channel count only for a
    // self-registering device); typeIndex is the type combo's selection.
    void ToRecord(DEVICE_RECORD& record, int loginType, int typeIndex) const;
    // The login type combo's entry of a login type; -1 for none.
    static int LoginTypeIndex(int loginType);

    CString title, desc, ip, port;
    CString user, password, confirm, model, type, cardSn;
    CString channelCount = L"4";
    int useDdns = 0;
    CString ddnsIp, ddnsPort, ddnsName;
};
