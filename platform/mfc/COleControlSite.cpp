#include "COleControlSite.h"

#include "COleControlContainer.h"
#include "COleControlEventSink.h"
#include "CWnd.h"

namespace {
template <class T>
void ReleaseInterface(T*& p) {
    if (p) p->Release();
    p = nullptr;
}
}  // namespace

COleControlSite::COleControlSite(COleControlContainer* container, UINT id) : m_container(container), m_id(id) {}

COleControlSite::~COleControlSite() { Teardown(); }

HRESULT COleControlSite::CreateControl(REFCLSID clsid, LPCWSTR windowName, DWORD style, const RECT& rect,
                                       HWND insertAfter) {
    m_rect = rect;
    HRESULT hr =
        ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, reinterpret_cast<void**>(&m_pObject));
    if (FAILED(hr)) return hr;
    DWORD misc = 0;
    m_pObject->GetMiscStatus(DVASPECT_CONTENT, &misc);
    if (misc & OLEMISC_SETCLIENTSITEFIRST) m_pObject->SetClientSite(this);
    IPersistStreamInit* persist = nullptr;
    if (SUCCEEDED(m_pObject->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist)))) {
        hr = persist->InitNew();
        persist->Release();
        if (FAILED(hr)) return hr;
    }
    if (!(misc & OLEMISC_SETCLIENTSITEFIRST)) m_pObject->SetClientSite(this);
    SetExtentFromRect();
    m_pObject->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&m_pDispatch));
    AdviseEvents();
    HWND parent = m_container->Window()->GetSafeHwnd();
    hr = m_pObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, parent, &m_rect);
    if (FAILED(hr)) return hr;
    hr = m_pObject->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&m_pInPlaceObject));
    if (FAILED(hr)) return hr;
    if (FAILED(m_pInPlaceObject->GetWindow(&m_hWnd)) || !m_hWnd) return E_FAIL;
    // The control's window takes the template item's id, tab and group
    // style, so dialog navigation and GetDlgItem find it.
    ::SetWindowLongPtrW(m_hWnd, GWLP_ID, static_cast<LONG_PTR>(m_id));
    LONG_PTR own = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, own | (style & (WS_TABSTOP | WS_GROUP | WS_DISABLED)));
    if (windowName && *windowName) ::SetWindowTextW(m_hWnd, windowName);
    ::SetWindowPos(m_hWnd, insertAfter ? insertAfter : HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    if (style & WS_VISIBLE) hr = m_pObject->DoVerb(OLEIVERB_SHOW, nullptr, this, 0, parent, &m_rect);
    return FAILED(hr) ? hr : S_OK;
}

void COleControlSite::AdviseEvents() {
    IProvideClassInfo2* info = nullptr;
    IConnectionPointContainer* points = nullptr;
    IID events;
    if (SUCCEEDED(m_pObject->QueryInterface(IID_IProvideClassInfo2, reinterpret_cast<void**>(&info))) &&
        SUCCEEDED(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events)) &&
        SUCCEEDED(m_pObject->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&points))) &&
        SUCCEEDED(points->FindConnectionPoint(events, &m_pEventPoint))) {
        m_pSink = new COleControlEventSink(m_container, m_id, events);
        if (FAILED(m_pEventPoint->Advise(m_pSink, &m_eventCookie))) {
            m_eventCookie = 0;
            ReleaseInterface(m_pEventPoint);
        }
    }
    ReleaseInterface(points);
    ReleaseInterface(info);
}

void COleControlSite::Teardown() {
    // The order matters: first no more events, then no more window, then
    // the control lets go of this site.
    if (m_pSink) m_pSink->Disconnect();
    if (m_pEventPoint && m_eventCookie) m_pEventPoint->Unadvise(m_eventCookie);
    m_eventCookie = 0;
    ReleaseInterface(m_pEventPoint);
    ReleaseInterface(m_pSink);
    if (m_pWrapper) {
        m_pWrapper->Detach();
        m_pWrapper->m_pCtrlSite = nullptr;
        m_pWrapper = nullptr;
    }
    if (m_pInPlaceObject) m_pInPlaceObject->InPlaceDeactivate();
    ReleaseInterface(m_pInPlaceObject);
    ReleaseInterface(m_pDispatch);
    if (m_pObject) {
        m_pObject->Close(OLECLOSE_NOSAVE);
        m_pObject->SetClientSite(nullptr);
    }
    ReleaseInterface(m_pObject);
    m_hWnd = nullptr;
}

void COleControlSite::MoveWindow(const RECT& rect) {
    m_rect = rect;
    if (m_pInPlaceObject) m_pInPlaceObject->SetObjectRects(&m_rect, &m_rect);
    SetExtentFromRect();
}

BOOL COleControlSite::BindWrapper(CWnd* wrapper) {
    if (!m_hWnd || wrapper->m_hWnd || m_pWrapper) return FALSE;
    if (!wrapper->Attach(m_hWnd)) return FALSE;
    wrapper->m_pCtrlSite = this;
    m_pWrapper = wrapper;
    return TRUE;
}

void COleControlSite::SetExtentFromRect() {
    if (!m_pObject) return;
    // HIMETRIC (0.01 mm) at the screen's resolution.
    HDC screen = ::GetDC(nullptr);
    SIZEL extent = {::MulDiv(m_rect.right - m_rect.left, 2540, ::GetDeviceCaps(screen, LOGPIXELSX)),
                    ::MulDiv(m_rect.bottom - m_rect.top, 2540, ::GetDeviceCaps(screen, LOGPIXELSY))};
    ::ReleaseDC(nullptr, screen);
    m_pObject->SetExtent(DVASPECT_CONTENT, &extent);
}

STDMETHODIMP COleControlSite::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid == IID_IUnknown || riid == IID_IOleClientSite)
        *out = static_cast<IOleClientSite*>(this);
    else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite)
        *out = static_cast<IOleInPlaceSite*>(this);
    else if (riid == IID_IDispatch)
        *out = static_cast<IDispatch*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) COleControlSite::AddRef() { return ::InterlockedIncrement(&m_refs); }

STDMETHODIMP_(ULONG) COleControlSite::Release() {
    ULONG refs = ::InterlockedDecrement(&m_refs);
    if (refs == 0) delete this;
    return refs;
}

STDMETHODIMP COleControlSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP COleControlSite::GetContainer(IOleContainer** container) {
    if (container) *container = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP COleControlSite::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = m_container ? m_container->Window()->GetSafeHwnd() : nullptr;
    return *window ? S_OK : E_FAIL;
}

STDMETHODIMP COleControlSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                               LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
    if (!frame || !document || !position || !clip) return E_POINTER;
    // No menus, toolbars or accelerators to merge: no frame to offer.
    *frame = nullptr;
    *document = nullptr;
    *position = m_rect;
    *clip = m_rect;
    if (info) {
        info->fMDIApp = FALSE;
        info->hwndFrame = m_container ? m_container->Window()->GetSafeHwnd() : nullptr;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
    }
    return S_OK;
}

STDMETHODIMP COleControlSite::OnInPlaceDeactivate() {
    m_hWnd = nullptr;
    return S_OK;
}

STDMETHODIMP COleControlSite::OnPosRectChange(LPCRECT position) {
    if (!position) return E_POINTER;
    MoveWindow(*position);
    return S_OK;
}

STDMETHODIMP COleControlSite::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP COleControlSite::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP COleControlSite::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) {
    if (result) ::VariantInit(result);
    return DISP_E_MEMBERNOTFOUND;
}
