#include "search/CWinsockUser.h"

#include <windows.h>

#include <string.h>

bool CWinsockUser::s_started = false;

CWinsockUser::CWinsockUser() {
    memset(&m_sender, 0, sizeof(m_sender));
    memset(m_receiveBuffer, 0, sizeof(m_receiveBuffer));
}

CWinsockUser::~CWinsockUser() {
    if (s_started && WSACleanup() == 0) s_started = false;
}

bool CWinsockUser::EnsureStarted() {
    if (s_started) return true;
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        OutputDebugStringA(" WSAStartup() Failed!\n");
        return false;
    }
    s_started = true;
    return true;
}
