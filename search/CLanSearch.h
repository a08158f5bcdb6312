// The search state behind the exported functions: the devices found since
// the last search (their extensions, infos and records, in parallel lists),
// the reply parser, the login wait and the caller's callbacks.
#pragma once

#include "common/CAutoLock.h"
#include "common/UniqueHandle.h"
#include "search/CUdpBroadcast.h"
#include "search/CLanReplyParser.h"
#include "search/LanDeviceInfo.h"
#include "search/Varirur.h"

#include <deque>
#include <vector>

class CLanSearch : public CUdpBroadcast {
public:
    CLanSearch();
    ~CLanSearch() override;

    // Empties the found lists and broadcasts the binary search request.
    // Returns the send result (-1 when it failed).
    int Search();
    // Broadcasts the text search request. Returns the send result.
    int SearchText();

    // Logs in to the index-th found device (1-based) and waits up to 10000 ms
    // for a login reply. Returns -1 for an index outside the found devices
    // (nothing sent), the send result when it is not positive, -9 without a
    // reply, else CLanReplyParser::LoginResult for the request's byte count.
    int Login(const char* user, const char* password, int index);

    // Writes the three address words into the index-th found device's record
    // and broadcasts the modify request. Returns 0 once sent (the outcome
    // arrives through the modify callback), -1 for an index outside the found
    // devices (nothing sent).
    int ModifyIP(uint32_t ip, uint32_t address2, uint32_t address3, int index);

    // Frees the found devices' extensions, then closes the socket and thread.
    void Stop();
    void Close() override { Stop(); }

    void SetSearchCallback(fSearchDevCB callback, void* user);
    void SetModifyCallback(fModifyIPCB callback, void* user);

    // The login wait; a callback on the receive thread cannot be answered,
    // as no packet is received while it runs.
    static constexpr DWORD kLoginWaitMs = 10000;

protected:
    void OnReceive(const uint8_t* data, int length, const sockaddr_in& from) override;

private:
    // Returns true when the index (1-based) names a found device; list lock held.
    bool IsValidIndex(int index) const;
    // Returns 1 when no found device has this address and port, else 0.
    int IsNewDevice(uint32_t ip, int port) const;
    // Appends a new device; returns false when it was found before. List lock held.
    bool AddDevice(const DEVICE_NET_INFO& info, const LAN_DEVICE_RECORD& record);
    void ClearFound();
    int SendRequest(const std::vector<uint8_t>& packet);
    // Keeps a request for the echo filter; list lock held.
    void RememberRequest(const std::vector<uint8_t>& packet);
    bool IsOwnEcho(const uint8_t* data, int length, const sockaddr_in& from);
    static bool IsOwnAddress(uint32_t address);

    std::vector<std::vector<uint8_t>> m_extensions;
    std::vector<DEVICE_NET_INFO> m_infos;
    std::vector<LAN_DEVICE_RECORD> m_records;
    CLanReplyParser m_parser;
    CUniqueHandle m_loginEvent;
    // Guards the found lists and the remembered requests.
    CLock m_listLock;
    // The requests sent lately, oldest first. A broadcast comes back to this
    // socket too, and several requests can be on their way at once (two quick
    // IP changes, a change then a search): an echo of any of them is no
    // device's answer. Each kept once; the oldest go beyond kRememberedRequests.
    std::deque<std::vector<uint8_t>> m_sentRequests;
    static constexpr size_t kRememberedRequests = 64;
    fSearchDevCB m_searchCallback = nullptr;
    void* m_searchUser = nullptr;
    fModifyIPCB m_modifyCallback = nullptr;
    void* m_modifyUser = nullptr;
};
