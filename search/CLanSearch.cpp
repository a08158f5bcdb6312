#include "search/CLanSearch.h"

#include <iphlpapi.h>

#include <string.h>

#include <algorithm>

using namespace lan;

CLanSearch::CLanSearch() = default;

CLanSearch::~CLanSearch() { Stop(); }

int CLanSearch::Search() {
    ClearFound();
    return SendRequest(BuildSearchRequest(kFormBinary));
}

int CLanSearch::SearchText() { return SendRequest(BuildSearchRequest(kFormText)); }

int CLanSearch::Login(const char* user, const char* password, int index) {
    std::vector<uint8_t> extension;
    HANDLE loginEvent;
    {
        CAutoLock guard(&m_listLock);
        if (!IsValidIndex(index)) return -1;
        extension = m_extensions[index - 1];
        if (!m_loginEvent) m_loginEvent.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        loginEvent = m_loginEvent.Get();
    }
    if (!loginEvent) return -1;
    const std::vector<uint8_t> packet = BuildLoginRequest(user, password, extension.data(), extension.size());
    ResetEvent(loginEvent);
    const int sent = SendRequest(packet);
    if (sent <= 0) return sent;
    // On the receive thread no reply can arrive before this call returns.
    if (OnReceiveThread() || WaitForSingleObject(loginEvent, kLoginWaitMs) != WAIT_OBJECT_0) return -9;
    CAutoLock guard(&m_listLock);
    return m_parser.LoginResult(sent);
}

int CLanSearch::ModifyIP(uint32_t ip, uint32_t address2, uint32_t address3, int index) {
    std::vector<uint8_t> packet;
    {
        CAutoLock guard(&m_listLock);
        if (!IsValidIndex(index)) return -1;
        LAN_DEVICE_RECORD& record = m_records[index - 1];
        SetRecordAddresses(&record, ip, address2, address3);
        const std::vector<uint8_t>& extension = m_extensions[index - 1];
        packet = BuildModifyRequest(record, extension.data(), extension.size());
    }
    SendRequest(packet);
    return 0;
}

void CLanSearch::Stop() {
    // The thread goes first: a reply arriving after the extensions were
    // emptied would otherwise misalign the parallel lists.
    CUdpBroadcast::Close();
    CAutoLock guard(&m_listLock);
    m_extensions.clear();
}

void CLanSearch::SetSearchCallback(fSearchDevCB callback, void* user) {
    CAutoLock guard(&m_listLock);
    m_searchCallback = callback;
    m_searchUser = user;
}

void CLanSearch::SetModifyCallback(fModifyIPCB callback, void* user) {
    CAutoLock guard(&m_listLock);
    m_modifyCallback = callback;
    m_modifyUser = user;
}

void CLanSearch::OnReceive(const uint8_t* data, int length, const sockaddr_in& from) {
    if (IsOwnEcho(data, length, from)) return;
    DEVICE_NET_INFO info;
    bool isNew = false;
    fSearchDevCB searchCallback;
    void* searchUser;
    fModifyIPCB modifyCallback = nullptr;
    void* modifyUser = nullptr;
    int modifyResult = -1;
    const char* modifyText = "";
    {
        CAutoLock guard(&m_listLock);
        LAN_DEVICE_RECORD record;
        memset(&record, 0, sizeof(record));
        switch (m_parser.Parse(data, size_t(length), &record, 1)) {
            case CLanReplyParser::kBinaryDevice:
                MakeInfoFromRecord(record, m_parser.Extension(), m_parser.ExtensionLength(), &info);
                isNew = AddDevice(info, record);
                break;
            case CLanReplyParser::kTextDevice:
                memset(&record, 0, sizeof(record));
                if (MakeInfoFromText(data + m_parser.TextBodyOffset(), m_parser.TextBodyLength(), &info))
                    isNew = AddDevice(info, record);
                break;
            case CLanReplyParser::kLoginAnswer:
                if (m_loginEvent) SetEvent(m_loginEvent.Get());
                break;
            case CLanReplyParser::kModifyAnswer:
                modifyResult = m_parser.ModifyOutcome(&modifyText);
                modifyCallback = m_modifyCallback;
                modifyUser = m_modifyUser;
                break;
            default: break;
        }
        searchCallback = m_searchCallback;
        searchUser = m_searchUser;
    }
    // Callbacks run outside the lock so that they may call the library.
    // Nothing the caller throws may end the receive thread.
    try {
        if (isNew && searchCallback) searchCallback(&info, searchUser);
        if (modifyCallback) modifyCallback(modifyResult, modifyText, modifyUser);
    } catch (...) {}
}

bool CLanSearch::IsValidIndex(int index) const {
    // The extensions are emptied on stop while infos and records stay, so
    // the shortest list bounds the valid indexes.
    return index >= 1 && size_t(index) <= m_extensions.size() && size_t(index) <= m_infos.size() &&
           size_t(index) <= m_records.size();
}

int CLanSearch::IsNewDevice(uint32_t ip, int port) const {
    for (const DEVICE_NET_INFO& known : m_infos)
        if (known.ip == ip && known.port == uint16_t(port)) return 0;
    return 1;
}

bool CLanSearch::AddDevice(const DEVICE_NET_INFO& info, const LAN_DEVICE_RECORD& record) {
    if (!IsNewDevice(info.ip, info.port)) return false;
    m_extensions.emplace_back(m_parser.Extension(), m_parser.Extension() + m_parser.ExtensionLength());
    m_infos.push_back(info);
    m_records.push_back(record);
    return true;
}

void CLanSearch::ClearFound() {
    CAutoLock guard(&m_listLock);
    m_extensions.clear();
    m_infos.clear();
    m_records.clear();
}

int CLanSearch::SendRequest(const std::vector<uint8_t>& packet) {
    {
        CAutoLock guard(&m_listLock);
        RememberRequest(packet);
    }
    return Send(packet.data(), int(packet.size()));
}

void CLanSearch::RememberRequest(const std::vector<uint8_t>& packet) {
    const auto known = std::find(m_sentRequests.begin(), m_sentRequests.end(), packet);
    if (known != m_sentRequests.end())
        m_sentRequests.erase(known);
    else if (m_sentRequests.size() == kRememberedRequests)
        m_sentRequests.pop_front();
    m_sentRequests.push_back(packet);
}

bool CLanSearch::IsOwnEcho(const uint8_t* data, int length, const sockaddr_in& from) {
    {
        CAutoLock guard(&m_listLock);
        const auto sameBytes = [&](const std::vector<uint8_t>& request) {
            return request.size() == size_t(length) && memcmp(request.data(), data, request.size()) == 0;
        };
        if (std::none_of(m_sentRequests.begin(), m_sentRequests.end(), sameBytes)) return false;
    }
    return IsOwnAddress(from.sin_addr.s_addr);
}

bool CLanSearch::IsOwnAddress(uint32_t address) {
    // 127.0.0.0/8: the first byte in wire order is the low byte here.
    if ((address & 0xFF) == 127) return true;
    // Looked up per echo candidate, which is rare: addresses may change
    // while the socket stays open.
    ULONG size = 0;
    if (GetIpAddrTable(nullptr, &size, FALSE) != ERROR_INSUFFICIENT_BUFFER || size == 0) return false;
    std::vector<uint8_t> buffer(size);
    MIB_IPADDRTABLE* table = reinterpret_cast<MIB_IPADDRTABLE*>(buffer.data());
    if (GetIpAddrTable(table, &size, FALSE) != NO_ERROR) return false;
    for (DWORD i = 0; i < table->dwNumEntries; ++i)
        if (table->table[i].dwAddr == address) return true;
    return false;
}
