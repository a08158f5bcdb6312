#include "CRerezedControl.h"

#include <algorithm>
#include <string>

namespace {
LONG g_liveObjects = 0;

// Arguments of one call, read in declaration order (DISPPARAMS holds them
// last first) and coerced to the type the method declares.
class Arguments {
public:
    Arguments(DISPPARAMS* params, UINT* argError) : m_params(params), m_argError(argError) {}
    bool Count(UINT expected) const { return m_params && m_params->cArgs == expected && m_params->cNamedArgs == 0; }
    bool Long(UINT index, long& value) {
        return Read(index, VT_I4, [&](const VARIANT& v) { value = v.lVal; });
    }
    bool Short(UINT index, short& value) {
        return Read(index, VT_I2, [&](const VARIANT& v) { value = v.iVal; });
    }
    bool Bool(UINT index, bool& value) {
        return Read(index, VT_BOOL, [&](const VARIANT& v) { value = v.boolVal != VARIANT_FALSE; });
    }
    bool String(UINT index, std::wstring& value) {
        return Read(index, VT_BSTR,
                    [&](const VARIANT& v) { value.assign(v.bstrVal ? v.bstrVal : L"", ::SysStringLen(v.bstrVal)); });
    }
    // A short passed by reference; NULL when the argument is not one.
    short* ShortRef(UINT index) {
        VARIANT& v = Raw(index);
        if (v.vt == (VT_I2 | VT_BYREF)) return v.piVal;
        if (v.vt == (VT_VARIANT | VT_BYREF) && v.pvarVal && v.pvarVal->vt == (VT_I2 | VT_BYREF))
            return v.pvarVal->piVal;
        *m_argError = m_params->cArgs - 1 - index;
        return nullptr;
    }

private:
    VARIANT& Raw(UINT index) { return m_params->rgvarg[m_params->cArgs - 1 - index]; }
    template <class Store>
    bool Read(UINT index, VARTYPE type, Store store) {
        VARIANT converted;
        ::VariantInit(&converted);
        if (FAILED(::VariantChangeType(&converted, &Raw(index), 0, type))) {
            *m_argError = m_params->cArgs - 1 - index;
            return false;
        }
        store(converted);
        ::VariantClear(&converted);
        return true;
    }
    DISPPARAMS* m_params;
    UINT* m_argError;
};

void SetLong(VARIANT* result, long value) {
    if (result) {
        result->vt = VT_I4;
        result->lVal = value;
    }
}
void SetShort(VARIANT* result, short value) {
    if (result) {
        result->vt = VT_I2;
        result->iVal = value;
    }
}
void SetBool(VARIANT* result, bool value) {
    if (result) {
        result->vt = VT_BOOL;
        result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    }
}
void SetString(VARIANT* result, const std::wstring& value) {
    if (!result) return;
    result->vt = VT_BSTR;
    result->bstrVal = ::SysAllocStringLen(value.c_str(), static_cast<UINT>(value.size()));
}
}  // namespace

CRerezedControl::CRerezedControl(HINSTANCE module) : m_module(module), m_view(*this) {
    ::InterlockedIncrement(&g_liveObjects);
}

CRerezedControl::~CRerezedControl() {
    m_view.Destroy();
    for (auto& c : m_connections) c.sink->Release();
    if (m_inPlaceSite) m_inPlaceSite->Release();
    if (m_site) m_site->Release();
    ::InterlockedDecrement(&g_liveObjects);
}

LONG CRerezedControl::LiveObjects() { return g_liveObjects; }

STDMETHODIMP CRerezedControl::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch)
        *out = static_cast<IDispatch*>(this);
    else if (riid == IID_IOleObject)
        *out = static_cast<IOleObject*>(this);
    else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceObject)
        *out = static_cast<IOleInPlaceObject*>(this);
    else if (riid == IID_IOleControl)
        *out = static_cast<IOleControl*>(this);
    else if (riid == IID_IPersist || riid == IID_IPersistStreamInit)
        *out = static_cast<IPersistStreamInit*>(this);
    else if (riid == IID_IConnectionPointContainer)
        *out = static_cast<IConnectionPointContainer*>(this);
    else if (riid == IID_IProvideClassInfo || riid == IID_IProvideClassInfo2)
        *out = static_cast<IProvideClassInfo2*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CRerezedControl::AddRef() { return ::InterlockedIncrement(&m_refs); }

STDMETHODIMP_(ULONG) CRerezedControl::Release() {
    ULONG refs = ::InterlockedDecrement(&m_refs);
    if (refs == 0) delete this;
    return refs;
}

STDMETHODIMP CRerezedControl::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP CRerezedControl::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CRerezedControl::GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) {
    for (UINT i = 0; ids && i < count; ++i) ids[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP CRerezedControl::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT* argError) {
    if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
    UINT ignored = 0;
    if (result) ::VariantInit(result);
    AddRef();  // a method may make the container release the control
    HRESULT hr = CallMethod(id, params, result, argError ? argError : &ignored);
    Release();
    return hr;
}

HRESULT CRerezedControl::CallMethod(DISPID id, DISPPARAMS* params, VARIANT* result, UINT* argError) {
    Arguments args(params, argError);
    long pane = 0, value = 0, other = 0;
    short flag = 0;
    bool on = false;
    std::wstring text;
    auto paneAt = [&](UINT index) -> CRerezedPane* { return args.Long(index, pane) ? m_view.Pane(pane) : nullptr; };
    switch (id) {
        case RZ_SetWindowCount:
            if (!args.Count(1)) return DISP_E_BADPARAMCOUNT;
            if (!args.Long(0, value)) return DISP_E_TYPEMISMATCH;
            // The control always has four panes.
            SetBool(result, value == kRerezedPaneCount);
            return S_OK;
        case RZ_SetWindowInfoText:
        case RZ_SetWindowTitle: {
            if (!args.Count(2)) return DISP_E_BADPARAMCOUNT;
            CRerezedPane* p = paneAt(0);
            if (!args.String(1, text)) return DISP_E_TYPEMISMATCH;
            if (p) id == RZ_SetWindowTitle ? p->SetTitle(text) : p->SetInfoText(text);
            return S_OK;
        }
        case RZ_SetWindowOption: {
            if (!args.Count(3)) return DISP_E_BADPARAMCOUNT;
            CRerezedPane* p = paneAt(0);
            if (!args.Long(1, value) || !args.Bool(2, on)) return DISP_E_TYPEMISMATCH;
            bool valid = p && value >= 0 && value < 32;
            if (valid) p->m_options = on ? (p->m_options | (1u << value)) : (p->m_options & ~(1u << value));
            SetBool(result, valid);
            return S_OK;
        }
        case RZ_SetWindowState: {
            if (!args.Count(3)) return DISP_E_BADPARAMCOUNT;
            CRerezedPane* p = paneAt(0);
            if (!args.Long(1, value) || !args.Short(2, flag)) return DISP_E_TYPEMISMATCH;
            if (p) p->SetState(value, flag != 0);
            return S_OK;
        }
        case RZ_GetWindowState: {
            if (!args.Count(2)) return DISP_E_BADPARAMCOUNT;
            CRerezedPane* p = paneAt(0);
            if (!args.Long(1, value)) return DISP_E_TYPEMISMATCH;
            SetShort(result, p ? static_cast<short>(p->GetState(value)) : -1);
            return S_OK;
        }
        case RZ_SetMaxMode:
            if (!args.Count(1)) return DISP_E_BADPARAMCOUNT;
            if (!args.Bool(0, on)) return DISP_E_TYPEMISMATCH;
            m_view.SetMaxMode(on);
            return S_OK;
        case RZ_GetMaxMode: {
            if (!args.Count(2)) return DISP_E_BADPARAMCOUNT;
            short* mode = args.ShortRef(0);
            short* split = args.ShortRef(1);
            if (!mode || !split) return DISP_E_TYPEMISMATCH;
            *mode = m_view.MaxMode() ? 1 : 0;
            // The second short: how many panes the view shows now.
            *split = m_view.MaxMode() ? 1 : kRerezedPaneCount;
            return S_OK;
        }
        case RZ_GetSelectedWindow:
            if (!args.Count(0)) return DISP_E_BADPARAMCOUNT;
            SetLong(result, m_view.Selected());
            return S_OK;
        case RZ_SetSelectedWindow:
            if (!args.Count(1)) return DISP_E_BADPARAMCOUNT;
            if (!args.Long(0, value)) return DISP_E_TYPEMISMATCH;
            SetBool(result, m_view.Select(value));
            return S_OK;
        case RZ_GetWindowHandle: {
            if (!args.Count(1)) return DISP_E_BADPARAMCOUNT;
            CRerezedPane* p = paneAt(0);
            if (!p && pane >= 0 && pane < kRerezedPaneCount) return E_UNEXPECTED;
            // Window handles fit in 32 bits on 64-bit Windows too: the caller
            // sign-extends the long back into a handle.
            SetLong(result, p ? static_cast<long>(reinterpret_cast<LONG_PTR>(p->VideoWindow())) : 0);
            return S_OK;
        }
        case RZ_LoadLanguageFile: {
            if (!args.Count(1)) return DISP_E_BADPARAMCOUNT;
            if (!args.String(0, text)) return DISP_E_TYPEMISMATCH;
            DWORD attributes = ::GetFileAttributesW(text.c_str());
            SetLong(result, attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0);
            return S_OK;
        }
        case RZ_EnableZoomRect: {
            if (!args.Count(2)) return DISP_E_BADPARAMCOUNT;
            CRerezedPane* p = paneAt(0);
            if (!args.Short(1, flag)) return DISP_E_TYPEMISMATCH;
            if (p) p->EnableZoomRect(flag != 0);
            return S_OK;
        }
        case RZ_ClearWindow: {
            if (!args.Count(1)) return DISP_E_BADPARAMCOUNT;
            CRerezedPane* p = paneAt(0);
            if (p && p->Window()) p->Clear();
            return S_OK;
        }
        case RZ_SetSplitMode:
            if (!args.Count(1)) return DISP_E_BADPARAMCOUNT;
            if (!args.Short(0, flag)) return DISP_E_TYPEMISMATCH;
            // One pane means the maximised view; anything else the 2x2 grid.
            m_view.SetMaxMode(flag == 1);
            return S_OK;
        case RZ_SetWindowMode: {
            if (!args.Count(2)) return DISP_E_BADPARAMCOUNT;
            CRerezedPane* p = paneAt(0);
            if (!args.Long(1, value)) return DISP_E_TYPEMISMATCH;
            long previous = p ? p->m_mode : -1;
            if (p) p->m_mode = value;
            SetLong(result, previous);
            return S_OK;
        }
        case RZ_SetBackImage:
            if (!args.Count(3)) return DISP_E_BADPARAMCOUNT;
            if (!args.String(0, text) || !args.Long(1, value) || !args.Long(2, other)) return DISP_E_TYPEMISMATCH;
            SetLong(result, m_view.SetBackImage(text.c_str(), value, other) ? 0 : -1);
            return S_OK;
        case RZ_TestGetWindowTitle:
        case RZ_TestGetWindowInfoText: {
            if (!args.Count(1)) return DISP_E_BADPARAMCOUNT;
            CRerezedPane* p = paneAt(0);
            SetString(result, !p ? L"" : id == RZ_TestGetWindowTitle ? p->Title() : p->InfoText());
            return S_OK;
        }
        case RZ_TestGetZoomRectEnabled: {
            if (!args.Count(1)) return DISP_E_BADPARAMCOUNT;
            CRerezedPane* p = paneAt(0);
            SetBool(result, p && p->ZoomRectEnabled());
            return S_OK;
        }
        case RZ_TestGetLiveObjectCount: SetLong(result, LiveObjects()); return S_OK;
        case RZ_TestGetWindowMode: {
            CRerezedPane* p = args.Count(1) ? paneAt(0) : nullptr;
            SetLong(result, p ? p->m_mode : -1);
            return S_OK;
        }
        case RZ_TestGetButtonCentre: {
            if (!args.Count(2)) return DISP_E_BADPARAMCOUNT;
            CRerezedPane* p = paneAt(0);
            if (!args.Long(1, value)) return DISP_E_TYPEMISMATCH;
            POINT centre = p ? p->ButtonCentre(value) : POINT{-1, -1};
            SetLong(result, MAKELONG(centre.x, centre.y));
            return S_OK;
        }
        case RZ_TestGetWindowOption: {
            if (!args.Count(2)) return DISP_E_BADPARAMCOUNT;
            CRerezedPane* p = paneAt(0);
            if (!args.Long(1, value)) return DISP_E_TYPEMISMATCH;
            SetBool(result, p && value >= 0 && value < 32 && (p->m_options & (1u << value)));
            return S_OK;
        }
    }
    return DISP_E_MEMBERNOTFOUND;
}

STDMETHODIMP CRerezedControl::SetClientSite(IOleClientSite* site) {
    if (site) site->AddRef();
    if (m_site) m_site->Release();
    m_site = site;
    return S_OK;
}

STDMETHODIMP CRerezedControl::GetClientSite(IOleClientSite** site) {
    if (!site) return E_POINTER;
    *site = m_site;
    if (m_site) m_site->AddRef();
    return S_OK;
}

STDMETHODIMP CRerezedControl::Close(DWORD) {
    InPlaceDeactivate();
    return S_OK;
}

STDMETHODIMP CRerezedControl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT rect) {
    switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_INPLACEACTIVATE:
        case OLEIVERB_UIACTIVATE: {
            HRESULT hr = ActivateInPlace(site ? site : m_site, parent, rect);
            if (SUCCEEDED(hr) && verb != OLEIVERB_INPLACEACTIVATE) ::ShowWindow(m_view.Window(), SW_SHOWNA);
            return hr;
        }
        case OLEIVERB_HIDE:
            if (m_view.Window()) ::ShowWindow(m_view.Window(), SW_HIDE);
            return S_OK;
    }
    return OLEOBJ_S_INVALIDVERB;
}

HRESULT CRerezedControl::ActivateInPlace(IOleClientSite* site, HWND parent, LPCRECT rect) {
    if (m_view.Window()) return S_OK;
    if (!site) return E_INVALIDARG;
    IOleInPlaceSite* inPlace = nullptr;
    if (FAILED(site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlace)))) return E_NOINTERFACE;
    if (inPlace->CanInPlaceActivate() != S_OK) {
        inPlace->Release();
        return E_FAIL;
    }
    HWND window = parent;
    if (!window) inPlace->GetWindow(&window);
    RECT position = rect ? *rect : RECT{0, 0, 0, 0};
    IOleInPlaceFrame* frame = nullptr;
    IOleInPlaceUIWindow* document = nullptr;
    RECT clip;
    OLEINPLACEFRAMEINFO frameInfo = {sizeof frameInfo};
    if (SUCCEEDED(inPlace->GetWindowContext(&frame, &document, &position, &clip, &frameInfo))) {
        if (frame) frame->Release();
        if (document) document->Release();
    }
    inPlace->OnInPlaceActivate();
    if (!window || !m_view.Create(window, position, m_module)) {
        inPlace->OnInPlaceDeactivate();
        inPlace->Release();
        return E_FAIL;
    }
    m_inPlaceSite = inPlace;
    return S_OK;
}

STDMETHODIMP CRerezedControl::GetUserClassID(CLSID* clsid) { return GetClassID(clsid); }

STDMETHODIMP CRerezedControl::SetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT || !size) return E_INVALIDARG;
    m_extent = *size;
    return S_OK;
}

STDMETHODIMP CRerezedControl::GetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT || !size) return E_INVALIDARG;
    *size = m_extent;
    return S_OK;
}

STDMETHODIMP CRerezedControl::GetMiscStatus(DWORD, DWORD* status) {
    if (!status) return E_POINTER;
    *status = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE |
              OLEMISC_SETCLIENTSITEFIRST;
    return S_OK;
}

STDMETHODIMP CRerezedControl::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = m_view.Window();
    return *window ? S_OK : E_FAIL;
}

STDMETHODIMP CRerezedControl::InPlaceDeactivate() {
    if (!m_inPlaceSite) return S_OK;
    IOleInPlaceSite* site = m_inPlaceSite;
    m_inPlaceSite = nullptr;
    m_view.Destroy();
    site->OnInPlaceDeactivate();
    site->Release();
    return S_OK;
}

STDMETHODIMP CRerezedControl::SetObjectRects(LPCRECT position, LPCRECT) {
    if (!position) return E_POINTER;
    if (m_view.Window()) m_view.MoveTo(*position);
    return S_OK;
}

STDMETHODIMP CRerezedControl::GetControlInfo(CONTROLINFO* info) {
    if (!info) return E_POINTER;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

STDMETHODIMP CRerezedControl::FreezeEvents(BOOL freeze) {
    m_freeze += freeze ? 1 : (m_freeze > 0 ? -1 : 0);
    return S_OK;
}

STDMETHODIMP CRerezedControl::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = CLSID_Rerezed;
    return S_OK;
}

STDMETHODIMP CRerezedControl::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size) return E_POINTER;
    size->QuadPart = 0;
    return S_OK;
}

STDMETHODIMP CRerezedControl::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
    if (!point) return E_POINTER;
    *point = nullptr;
    if (riid != DIID_RerezedEvents) return CONNECT_E_NOCONNECTION;
    *point = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP CRerezedControl::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = DIID_RerezedEvents;
    return S_OK;
}

STDMETHODIMP CRerezedControl::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (!container) return E_POINTER;
    *container = this;
    AddRef();
    return S_OK;
}

STDMETHODIMP CRerezedControl::Advise(IUnknown* sink, DWORD* cookie) {
    if (!sink || !cookie) return E_POINTER;
    *cookie = 0;
    IDispatch* dispatch = nullptr;
    if (FAILED(sink->QueryInterface(DIID_RerezedEvents, reinterpret_cast<void**>(&dispatch))) &&
        FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))))
        return CONNECT_E_CANNOTCONNECT;
    *cookie = m_nextCookie++;
    m_connections.push_back({*cookie, dispatch});
    return S_OK;
}

STDMETHODIMP CRerezedControl::Unadvise(DWORD cookie) {
    for (auto it = m_connections.begin(); it != m_connections.end(); ++it) {
        if (it->cookie != cookie) continue;
        IDispatch* sink = it->sink;
        m_connections.erase(it);
        sink->Release();
        return S_OK;
    }
    return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP CRerezedControl::GetClassInfo(ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CRerezedControl::GetGUID(DWORD kind, GUID* guid) {
    if (!guid) return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
    *guid = DIID_RerezedEvents;
    return S_OK;
}

void CRerezedControl::FireEvent(DISPID id, const VARIANT* args, UINT count) {
    if (m_freeze > 0 || m_connections.empty()) return;
    // DISPPARAMS takes the arguments last first.
    std::vector<VARIANT> reversed(args ? args : nullptr, args ? args + count : nullptr);
    std::reverse(reversed.begin(), reversed.end());
    DISPPARAMS params = {reversed.empty() ? nullptr : reversed.data(), nullptr, count, 0};
    // A handler may unadvise (or advise) while the event goes out: work on a
    // held copy of the list.
    std::vector<IDispatch*> sinks;
    for (auto& c : m_connections) {
        c.sink->AddRef();
        sinks.push_back(c.sink);
    }
    for (IDispatch* sink : sinks) {
        sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
        sink->Release();
    }
}
