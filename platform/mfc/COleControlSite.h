// The site of one hosted ActiveX control: its client site and in-place site
// (the control's window is a child of the container's window at the site's
// rectangle), the ambient properties (none: every one answers "member not
// found", so the control uses its defaults), and the advised event sink.
#pragma once

#include <ole2.h>
#include <ocidl.h>

class CWnd;
class COleControlContainer;
class COleControlEventSink;

class COleControlSite : public IOleClientSite, public IOleInPlaceSite, public IDispatch {
public:
    COleControlSite(COleControlContainer* container, UINT id);

    // Creates the control, activates it in place at rect and advises the
    // sink on its default source interface. S_OK or the first failure.
    HRESULT CreateControl(REFCLSID clsid, LPCWSTR windowName, DWORD style, const RECT& rect, HWND insertAfter);
    // Unadvise, in-place deactivate, Close, SetClientSite(NULL), release;
    // the bound wrapper lets go of the window. Safe to call twice.
    void Teardown();
    // Moves the control: its window and its idea of its rectangles.
    void MoveWindow(const RECT& rect);
    // Makes wrapper the face of this control (its m_hWnd is the control's
    // window); FALSE when it already has a window.
    BOOL BindWrapper(CWnd* wrapper);

    UINT Id() const { return m_id; }
    COleControlContainer* Container() const { return m_container; }
    HWND Window() const { return m_hWnd; }
    IDispatch* Dispatch() const { return m_pDispatch; }
    IUnknown* Unknown() const { return m_pObject; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
    STDMETHODIMP GetContainer(IOleContainer** container) override;
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    // IOleWindow / IOleInPlaceSite
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override;
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT position) override;
    // IDispatch: the ambient properties
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) override;

private:
    virtual ~COleControlSite();
    void AdviseEvents();
    void SetExtentFromRect();

    LONG m_refs = 1;
    COleControlContainer* m_container;
    UINT m_id;
    RECT m_rect = {0, 0, 0, 0};
    HWND m_hWnd = nullptr;
    CWnd* m_pWrapper = nullptr;
    IOleObject* m_pObject = nullptr;
    IOleInPlaceObject* m_pInPlaceObject = nullptr;
    IDispatch* m_pDispatch = nullptr;
    IConnectionPoint* m_pEventPoint = nullptr;
    COleControlEventSink* m_pSink = nullptr;
    DWORD m_eventCookie = 0;
};
