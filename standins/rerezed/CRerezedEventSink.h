// What the control's windows tell the control object: events to fire to its
// container. Arguments are given in declaration order.
#pragma once

#include <windows.h>
#include <oaidl.h>

class CRerezedEventSink {
public:
    virtual void FireEvent(DISPID id, const VARIANT* args, UINT count) = 0;
    // Keeps the control object alive while one of its windows handles a
    // message: an event handler may close the control meanwhile.
    virtual ULONG HoldObject() = 0;
    virtual ULONG ReleaseObject() = 0;
    // The user picked pane (mouse down in it); fires the selection change.
    virtual void OnUserSelect(int pane) = 0;

protected:
    ~CRerezedEventSink() = default;
};
