// The application object: Visible (put), Workbooks (get), Quit().
//
// Lifetime follows the out-of-process original as far as a library can:
// the application outlives its clients' references while a workbook window
// is open (the user owns it then), and ends when no client holds any of its
// objects and no window is open.
// The library's COM entry points that make it are in XlServer.cpp.
#pragma once

#include <memory>

#include "CXlObject.h"
#include "CXlWorkbooks.h"

class CXlApplication : public CXlObject {
public:
    CXlApplication();
    ~CXlApplication() override;

    static long Running();

    bool HasQuit() const { return m_quit; }
    bool IsVisible() const { return m_visible; }
    int NextBookNumber();

    // +1 when one of its objects gets its first client reference, -1 when it loses its last.
    void OnObjectHeld(long delta);
    void OnWindowClosed() { EndWhenUnused(); }

protected:
    HRESULT InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception) override;
    const XlMember* Members(size_t& count) const override;

private:
    void Quit();
    void EndWhenUnused();

    std::unique_ptr<CXlWorkbooks> m_workbooks;
    long m_heldObjects = 0;
    bool m_visible = false;
    bool m_quit = false;
};
