#include <afxwin.h>

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/WaitFor.h"

namespace {

const UINT WM_PING = WM_APP + 1;
const UINT WM_BASE_ONLY = WM_APP + 2;
const UINT WM_THROW = WM_APP + 3;
const UINT WM_UNLOCK = WM_APP + 4;

// A base window class with its own map; the derived class below overrides
// some entries and relies on this map for the rest.
class CBaseTestWnd : public CWnd {
public:
    std::vector<CString> calls;
    HWND hwndSeenAtCreate = nullptr;
    CWnd* permanentSeenAtCreate = nullptr;
    int createResult = 0;
    HWND presubclassed = nullptr;
    void PreSubclassWindow() override { presubclassed = m_hWnd; }

protected:
    afx_msg int OnCreate(LPCREATESTRUCT cs) {
        calls.push_back(L"base create");
        hwndSeenAtCreate = m_hWnd;
        permanentSeenAtCreate = FromHandlePermanent(m_hWnd);
        return createResult;
    }
    afx_msg LRESULT OnPing(WPARAM w, LPARAM) {
        calls.push_back(L"base ping");
        return 100 + w;
    }
    afx_msg LRESULT OnBaseOnly(WPARAM, LPARAM) {
        calls.push_back(L"base only");
        return 7;
    }
    afx_msg void OnDestroy() {
        calls.push_back(L"base destroy");
        CWnd::OnDestroy();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseTestWnd, CWnd)
ON_WM_CREATE()
ON_MESSAGE(WM_PING, &CBaseTestWnd::OnPing)
ON_MESSAGE(WM_BASE_ONLY, &CBaseTestWnd::OnBaseOnly)
ON_WM_DESTROY()
END_MESSAGE_MAP()

class CDerivedTestWnd : public CBaseTestWnd {
public:
    bool destroyed = false;
    std::vector<UINT_PTR> timers;

protected:
    afx_msg LRESULT OnPing(WPARAM w, LPARAM l) {
        calls.push_back(L"derived ping");
        return CBaseTestWnd::OnPing(w, l) + 1000;
    }
    afx_msg LRESULT OnThrow(WPARAM, LPARAM) { throw new CMemoryException; }
    afx_msg LRESULT OnUnlock(WPARAM, LPARAM) {
        AfxUnlockTempMaps();
        return AfxGetTempObjectCount();
    }
    afx_msg void OnDestroy() {
        destroyed = true;
        CBaseTestWnd::OnDestroy();
    }
    afx_msg void OnTimer(UINT_PTR id) {
        timers.push_back(id);
        KillTimer(id);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedTestWnd, CBaseTestWnd)
ON_WM_TIMER()
ON_MESSAGE(WM_PING, &CDerivedTestWnd::OnPing)
ON_MESSAGE(WM_THROW, &CDerivedTestWnd::OnThrow)
ON_MESSAGE(WM_UNLOCK, &CDerivedTestWnd::OnUnlock)
ON_WM_DESTROY()
END_MESSAGE_MAP()

BOOL CreateTestWindow(CWnd& wnd) {
    return wnd.CreateEx(0, AfxRegisterWndClass(0), L"test", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr);
}

}  // namespace

TEST(CWndTest, ObjectReceivesItsOwnCreateAndMapsChainToTheBase) {
    CDerivedTestWnd wnd;
    ASSERT_TRUE(CreateTestWindow(wnd));
    ASSERT_NE(nullptr, wnd.m_hWnd);
    EXPECT_EQ(wnd.m_hWnd, wnd.hwndSeenAtCreate);
    EXPECT_EQ(wnd.m_hWnd, wnd.presubclassed);
    EXPECT_EQ(&wnd, wnd.permanentSeenAtCreate);
    EXPECT_EQ(&wnd, CWnd::FromHandlePermanent(wnd.m_hWnd));
    EXPECT_EQ(&wnd, CWnd::FromHandle(wnd.m_hWnd));

    EXPECT_EQ(1105, wnd.SendMessage(WM_PING, 5));  // derived entry, calling the base handler
    EXPECT_EQ(7, wnd.SendMessage(WM_BASE_ONLY));   // found in the base map
    std::vector<CString> expected = {L"base create", L"derived ping", L"base ping", L"base only"};
    EXPECT_EQ(expected, wnd.calls);

    // A handler's exception stops at the window procedure.
    EXPECT_EQ(0, wnd.SendMessage(WM_THROW));

    HWND hWnd = wnd.m_hWnd;
    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_TRUE(wnd.destroyed);
    EXPECT_EQ(L"base destroy", wnd.calls.back());
    EXPECT_EQ(nullptr, wnd.m_hWnd);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
    EXPECT_FALSE(::IsWindow(hWnd));
}

TEST(CWndTest, CreateFailsCleanlyWhenOnCreateRefuses) {
    CDerivedTestWnd wnd;
    wnd.createResult = -1;
    EXPECT_FALSE(CreateTestWindow(wnd));
    EXPECT_EQ(nullptr, wnd.m_hWnd);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(wnd.hwndSeenAtCreate));
}

TEST(CWndTest, DestroyingTheObjectDestroysItsWindow) {
    HWND hWnd;
    {
        CDerivedTestWnd wnd;
        ASSERT_TRUE(CreateTestWindow(wnd));
        hWnd = wnd.m_hWnd;
    }
    EXPECT_FALSE(::IsWindow(hWnd));
}

TEST(CWndTest, TemporaryWrappersLiveUntilIdle) {
    AfxUnlockTempMaps();
    HWND plain = CreateWindowExW(0, L"STATIC", L"plain", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, plain);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(plain));
    CWnd* temp = CWnd::FromHandle(plain);
    ASSERT_NE(nullptr, temp);
    EXPECT_STREQ("CWnd", temp->GetRuntimeClass()->m_lpszClassName);
    EXPECT_EQ(temp, CWnd::FromHandle(plain));
    EXPECT_EQ(1, AfxGetTempObjectCount());

    // While a framework window procedure runs, idle clean-up must not free
    // what its callers may hold.
    CDerivedTestWnd host;
    ASSERT_TRUE(CreateTestWindow(host));
    EXPECT_EQ(1, host.SendMessage(WM_UNLOCK));
    EXPECT_EQ(temp, CWnd::FromHandle(plain));
    AfxUnlockTempMaps();
    EXPECT_EQ(0, AfxGetTempObjectCount());
    DestroyWindow(plain);
}

TEST(CWndTest, AttachMakesPermanentAndDetachGivesBack) {
    HWND plain = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    CWnd* temp = CWnd::FromHandle(plain);  // a temporary first: Attach must replace it
    CWnd wnd;
    ASSERT_TRUE(wnd.Attach(plain));
    EXPECT_EQ(plain, temp->m_hWnd);  // still usable by whoever holds it until idle
    EXPECT_FALSE(CWnd().Attach(plain));
    EXPECT_EQ(&wnd, CWnd::FromHandle(plain));
    EXPECT_EQ(plain, wnd.Detach());
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(plain));
    EXPECT_TRUE(::IsWindow(plain));
    AfxUnlockTempMaps();
    DestroyWindow(plain);
}

TEST(CWndTest, TimersReachTheirHandlerFromTheMessageLoop) {
    CDerivedTestWnd wnd;
    ASSERT_TRUE(CreateTestWindow(wnd));
    EXPECT_EQ(13u, wnd.SetTimer(13, 10));
    ASSERT_TRUE(WaitFor([&] { return !wnd.timers.empty(); }));
    EXPECT_EQ(std::vector<UINT_PTR>{13}, wnd.timers);
}
