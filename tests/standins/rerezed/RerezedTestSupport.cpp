#include "RerezedTestSupport.h"

#include <AfxDDX.h>

#include <ostream>

#include "RerezedTestResource.h"
#include "tests/support/WaitFor.h"

HMODULE RerezedServer::Module() {
    static HMODULE module = ::LoadLibraryW(L"Rerezed.ocx");
    return module;
}

namespace {
HRESULT CallExport(const char* name) {
    auto entry = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(::GetProcAddress(RerezedServer::Module(), name)));
    return entry ? entry() : E_FAIL;
}
}  // namespace

HRESULT RerezedServer::Register() { return CallExport("DllRegisterServer"); }
HRESULT RerezedServer::Unregister() { return CallExport("DllUnregisterServer"); }
HRESULT RerezedServer::CanUnloadNow() { return CallExport("DllCanUnloadNow"); }

void PrintTo(const RecordedEvent& e, std::ostream* os) {
    *os << "event " << e.id << "(";
    for (size_t i = 0; i < e.args.size(); ++i) *os << (i ? ", " : "") << e.args[i];
    *os << ")";
}

BEGIN_EVENTSINK_MAP(CVideoHostDlg, CDialog)
ON_EVENT(CVideoHostDlg, IDC_VIDEO, 1, OnSelectionChanged, VTS_I4 VTS_I4 VTS_I4)
ON_EVENT(CVideoHostDlg, IDC_VIDEO, 3, OnPaneButton, VTS_I4 VTS_I4 VTS_I2)
ON_EVENT(CVideoHostDlg, IDC_VIDEO, 7, OnZoomRect, VTS_I4 VTS_I4 VTS_I4 VTS_I4 VTS_I4 VTS_I2)
ON_EVENT(CVideoHostDlg, IDC_VIDEO, -600, OnClickVideo, VTS_NONE)
ON_EVENT(CVideoHostDlg, IDC_VIDEO, -601, OnDblClickVideo, VTS_NONE)
END_EVENTSINK_MAP()

void CVideoHostDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_VIDEO, m_video);
}

BOOL CVideoHostDlg::OnInitDialog() {
    ++initDialogCalls;
    CDialog::OnInitDialog();
    videoAtInit = m_video.m_hWnd;
    return TRUE;
}

namespace {
void MoveMouse(HWND window, POINT client) {
    ::ClientToScreen(window, &client);
    ::SetCursorPos(client.x, client.y);
    WaitFor(
        [&] {
            POINT now;
            ::GetCursorPos(&now);
            return now.x == client.x && now.y == client.y;
        },
        2000);
}

void Button(DWORD flag) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flag;
    ::SendInput(1, &input, sizeof input);
}

void Settle() {
    // Input goes through the X server and back: pump until it has arrived.
    for (int i = 0; i < 10; ++i) {
        ::Sleep(20);
        PumpWaitingMessages();
    }
}
}  // namespace

void ClickAt(HWND window, POINT client, bool twice) {
    MoveMouse(window, client);
    for (int i = 0; i < (twice ? 2 : 1); ++i) {
        Button(MOUSEEVENTF_LEFTDOWN);
        Button(MOUSEEVENTF_LEFTUP);
    }
    Settle();
}

void DragIn(HWND window, POINT from, POINT to) {
    MoveMouse(window, from);
    Button(MOUSEEVENTF_LEFTDOWN);
    Settle();
    POINT middle = {(from.x + to.x) / 2, (from.y + to.y) / 2};
    MoveMouse(window, middle);
    Settle();
    MoveMouse(window, to);
    Settle();
    Button(MOUSEEVENTF_LEFTUP);
    Settle();
}
