// CDeviceFormEdits: the edit boxes of the device dialog's form and what each
// lets the operator type: its characters, its length in bytes, whether
// pasting is allowed and the text an emptied box shows.
#pragma once

#include <afxwin.h>

#include "app/ui/toolkit/CCtrlColorChange.h"
#include "app/ui/toolkit/CSupperEdit.h"

class CDeviceFormEdits {
public:
    // Subclasses the dialog's boxes.
    void Bind(CDataExchange* dx);
    // Character filters, limits and default texts; the port's default text
    // is the default port's.
    void SetUp(int defaultPort);
    // The focused, normal and read-only colours of the configuration.
    void SetColors(CWnd* dialog, CCtrlColorChange& colors);

    CSupperEdit title, desc, loginUser, ip, port, password, confirm;
    CSupperEdit card, channels, ddnsIp, ddnsPort, ddnsName;
};
