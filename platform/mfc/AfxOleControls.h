// Hosting ActiveX controls in framework windows: OLE start-up, the VTS
// argument lists of InvokeHelper and event handlers, and event sink maps.
// A window that hosts controls declares DECLARE_EVENTSINK_MAP and fills
// BEGIN_EVENTSINK_MAP(class, base) ... ON_EVENT(class, id, dispid, handler,
// VTS list) ... END_EVENTSINK_MAP(); the handler's C++ parameters receive
// the event's arguments converted as the VTS list says.
#pragma once

#include <ole2.h>
#include <oleauto.h>

#include <cstdarg>
#include <cstring>
#include <type_traits>
#include <tuple>
#include <utility>

class CCmdTarget;

// Argument and result kinds: one byte per argument, as the VARTYPE; the
// by-reference kinds carry 0x40.
#ifndef VT_MFCBYREF
#define VT_MFCBYREF 0x40
#endif
#ifndef VTS_I2
#define VTS_NONE ""
#define VTS_I2 "\x02"
#define VTS_I4 "\x03"
#define VTS_R4 "\x04"
#define VTS_R8 "\x05"
#define VTS_BSTR "\x08"
#define VTS_BOOL "\x0B"
#define VTS_PI2 "\x42"
#define VTS_PI4 "\x43"
#endif

// OleInitialize for this thread; FALSE when it failed.
BOOL AfxOleInit();
// Lets dialogs and windows of this process host ActiveX controls; without
// it a dialog whose template holds a control fails to be created.
void AfxEnableControlContainer();
BOOL AfxOleControlContainerEnabled();

// Calls dispatch member id of dispatch with the arguments of args as info
// lists them (a 0-terminated VTS list, NULL for none); a result of kind
// resultType (VT_EMPTY for none, VT_I2 short*, VT_I4 long*, VT_BOOL BOOL*,
// VT_BSTR CString*) goes to result. The result is zeroed first, so on
// failure it reads 0 (or empty). Returns the call's HRESULT.
HRESULT AfxInvokeDispatchV(IDispatch* dispatch, DISPID id, WORD flags, VARTYPE resultType, void* result,
                           const BYTE* info, va_list args);

// --- event sink maps ---
// Converts an event's arguments (DISPPARAMS order: last first) and calls the
// handler; FALSE when the arguments do not fit the VTS list.
typedef BOOL (*AFX_EVENT_THUNK)(CCmdTarget* target, const BYTE* vts, DISPPARAMS* params);

struct AFX_EVENTSINKMAP_ENTRY {
    UINT nCtrlID;
    DISPID dispid;
    const BYTE* vts;
    AFX_EVENT_THUNK pfnThunk;
};

struct AFX_EVENTSINKMAP {
    const AFX_EVENTSINKMAP* (*pfnGetBaseMap)();
    const AFX_EVENTSINKMAP_ENTRY* lpEntries;
};

// One event argument, converted to the VARTYPE its VTS byte names.
class AfxEventArgument {
public:
    AfxEventArgument() { ::VariantInit(&m_value); }
    ~AfxEventArgument() { ::VariantClear(&m_value); }
    AfxEventArgument(const AfxEventArgument&) = delete;
    AfxEventArgument& operator=(const AfxEventArgument&) = delete;
    // FALSE when source cannot be converted.
    bool Convert(VARIANT& source, BYTE vts);
    long AsLong() const;
    const wchar_t* AsString() const { return m_value.vt == VT_BSTR ? m_value.bstrVal : L""; }
    short* AsShortRef() const { return m_ref ? static_cast<short*>(m_ref) : nullptr; }
    long* AsLongRef() const { return m_ref ? static_cast<long*>(m_ref) : nullptr; }
    double AsDouble() const;

private:
    VARIANT m_value;
    void* m_ref = nullptr;
};

template <class T>
struct AfxEventValue {
    static T Get(const AfxEventArgument& a) {
        if constexpr (std::is_floating_point<T>::value)
            return static_cast<T>(a.AsDouble());
        else
            return static_cast<T>(a.AsLong());
    }
};
template <>
struct AfxEventValue<const wchar_t*> {
    static const wchar_t* Get(const AfxEventArgument& a) { return a.AsString(); }
};
template <>
struct AfxEventValue<short*> {
    static short* Get(const AfxEventArgument& a) { return a.AsShortRef(); }
};
template <>
struct AfxEventValue<long*> {
    static long* Get(const AfxEventArgument& a) { return a.AsLongRef(); }
};

template <class F>
struct AfxEventInvoker;
template <class C, class R, class... A>
struct AfxEventInvoker<R (C::*)(A...)> {
    template <R (C::*F)(A...)>
    static BOOL Call(CCmdTarget* target, const BYTE* vts, DISPPARAMS* params) {
        constexpr UINT count = sizeof...(A);
        if (std::strlen(reinterpret_cast<const char*>(vts)) != count || params->cArgs != count) return FALSE;
        AfxEventArgument args[count ? count : 1];
        for (UINT i = 0; i < count; ++i)
            if (!args[i].Convert(params->rgvarg[count - 1 - i], vts[i])) return FALSE;
        CallWith<F>(static_cast<C*>(target), args, std::index_sequence_for<A...>());
        return TRUE;
    }
    template <R (C::*F)(A...), size_t... I>
    static void CallWith(C* target, AfxEventArgument* args, std::index_sequence<I...>) {
        (target->*F)(AfxEventValue<typename std::decay<A>::type>::Get(args[I])...);
    }
};

template <auto F>
BOOL AfxEventThunk(CCmdTarget* target, const BYTE* vts, DISPPARAMS* params) {
    return AfxEventInvoker<decltype(F)>::template Call<F>(target, vts, params);
}

#define DECLARE_EVENTSINK_MAP()                           \
protected:                                                \
    static const AFX_EVENTSINKMAP* GetThisEventSinkMap(); \
    const AFX_EVENTSINKMAP* GetEventSinkMap() const override;

#define BEGIN_EVENTSINK_MAP(theClass, baseClass)                                                \
    const AFX_EVENTSINKMAP* theClass::GetEventSinkMap() const { return GetThisEventSinkMap(); } \
    const AFX_EVENTSINKMAP* theClass::GetThisEventSinkMap() {                                   \
        typedef baseClass TheBaseClass;                                                         \
        static const AFX_EVENTSINKMAP_ENTRY entries[] = {
#define ON_EVENT(theClass, id, dispid, pfn, vts)                                             \
    {static_cast<UINT>(id), static_cast<DISPID>(dispid), reinterpret_cast<const BYTE*>(vts), \
     &AfxEventThunk<&theClass::pfn>},

#define END_EVENTSINK_MAP()                                                            \
    { 0, 0, nullptr, nullptr }                                                         \
    }                                                                                  \
    ;                                                                                  \
    static const AFX_EVENTSINKMAP map = {&TheBaseClass::GetThisEventSinkMap, entries}; \
    return &map;                                                                       \
    }
