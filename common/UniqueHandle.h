// Move-only owners of Win32 handles and sockets. Each kind names its own
// "no handle" value in its type, so a handle from CreateFile (invalid is
// INVALID_HANDLE_VALUE) never lands in an owner that tests for NULL, and the
// reverse: CUniqueHandle holds what CreateThread/CreateEvent give (NULL on
// failure), CUniqueFile what CreateFile/FindFirstChangeNotification give.
#pragma once

#include <winsock2.h>
#include <windows.h>

template <typename Traits>
class CUniqueResource {
public:
    typedef typename Traits::Type Type;

    CUniqueResource() : m_value(Traits::Invalid()) {}
    explicit CUniqueResource(Type value) : m_value(value) {}
    ~CUniqueResource() { Reset(); }
    CUniqueResource(const CUniqueResource&) = delete;
    CUniqueResource& operator=(const CUniqueResource&) = delete;
    CUniqueResource(CUniqueResource&& other) noexcept : m_value(other.Release()) {}
    CUniqueResource& operator=(CUniqueResource&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    Type Get() const { return m_value; }
    bool IsValid() const { return m_value != Traits::Invalid(); }
    explicit operator bool() const { return IsValid(); }
    // Closes the held value (if any) and takes value.
    void Reset(Type value = Traits::Invalid()) {
        if (IsValid()) Traits::Close(m_value);
        m_value = value;
    }
    // Gives the value up without closing it.
    Type Release() {
        Type value = m_value;
        m_value = Traits::Invalid();
        return value;
    }

private:
    Type m_value;
};

// The traits of every kind whose "no handle" value is NULL: the handle type
// and the one call that gives a handle back.
template <typename Handle, auto CloseFunction>
struct NullInvalidTraits {
    typedef Handle Type;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { CloseFunction(handle); }
};

struct FileHandleTraits {
    typedef HANDLE Type;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) { CloseHandle(handle); }
};

struct WsaEventTraits {
    typedef WSAEVENT Type;
    static WSAEVENT Invalid() { return WSA_INVALID_EVENT; }
    static void Close(WSAEVENT event) { WSACloseEvent(event); }
};

struct SocketTraits {
    typedef SOCKET Type;
    static SOCKET Invalid() { return INVALID_SOCKET; }
    static void Close(SOCKET socket) { closesocket(socket); }
};

// Threads, events, mutexes, mappings: NULL means none.
typedef CUniqueResource<NullInvalidTraits<HANDLE, &CloseHandle>> CUniqueHandle;
// Files and other handles whose failure value is INVALID_HANDLE_VALUE.
typedef CUniqueResource<FileHandleTraits> CUniqueFile;
typedef CUniqueResource<SocketTraits> CUniqueSocket;
// Libraries from LoadLibrary: each owner gives back the one reference it took.
typedef CUniqueResource<NullInvalidTraits<HMODULE, &FreeLibrary>> CUniqueModule;
// Events from WSACreateEvent.
typedef CUniqueResource<WsaEventTraits> CUniqueWsaEvent;
