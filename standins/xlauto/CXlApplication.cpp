#include "CXlApplication.h"

#include "StandinRecord.h"

namespace {
const DISPID kVisible = 1, kWorkbooks = 2, kQuit = 3;
const XlMember kMembers[] = {{L"Visible", kVisible}, {L"Workbooks", kWorkbooks}, {L"Quit", kQuit}};
long g_running = 0;
int g_bookNumber = 0;
}  // namespace

CXlApplication::CXlApplication() : CXlObject(this), m_workbooks(new CXlWorkbooks(this)) {
    ++g_running;
    StandinRecord::Count(L"ApplicationsCreated", +1);
    StandinRecord::Count(L"ApplicationsRunning", +1);
}

CXlApplication::~CXlApplication() {
    m_workbooks.reset();
    --g_running;
    StandinRecord::Count(L"ApplicationsRunning", -1);
}

long CXlApplication::Running() { return g_running; }

int CXlApplication::NextBookNumber() { return ++g_bookNumber; }

const XlMember* CXlApplication::Members(size_t& count) const {
    count = sizeof(kMembers) / sizeof(kMembers[0]);
    return kMembers;
}

void CXlApplication::OnObjectHeld(long delta) {
    m_heldObjects += delta;
    StandinRecord::Count(L"LiveObjects", delta);
    EndWhenUnused();
}

void CXlApplication::EndWhenUnused() {
    if (m_heldObjects > 0) return;
    for (const auto& book : m_workbooks->Books())
        if (book->HasWindow()) return;
    delete this;
}

void CXlApplication::Quit() {
    m_quit = true;
    StandinRecord::Count(L"ApplicationsQuit", +1);
    m_visible = false;
    for (const auto& book : m_workbooks->Books()) book->CloseWindow();
}

HRESULT CXlApplication::InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*) {
    switch (id) {
        case kVisible: {
            if (!(flags & DISPATCH_PROPERTYPUT)) return DISP_E_MEMBERNOTFOUND;
            VARIANT visible;
            HRESULT hr = PutValue(params, VT_BOOL, visible);
            if (FAILED(hr)) return hr;
            m_visible = visible.boolVal != VARIANT_FALSE;
            if (m_visible) {
                for (const auto& book : m_workbooks->Books()) book->Show();
            }
            return S_OK;
        }
        case kWorkbooks:
            if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
            return PositionalCount(params) ? DISP_E_BADPARAMCOUNT : ReturnObject(m_workbooks.get(), result);
        default:
            if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
            if (PositionalCount(params)) return DISP_E_BADPARAMCOUNT;
            Quit();
            return S_OK;
    }
}
