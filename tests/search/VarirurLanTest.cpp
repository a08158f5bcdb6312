// The library over a real network link: search, login, IP change and stop,
// against the simulated devices of tools/lansearch. The library broadcasts,
// so these tests run only inside the network namespaces that
// run-lan-tests.sh makes; anywhere else they skip.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <iphlpapi.h>
#include <tlhelp32.h>
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <mutex>
#include <string>
#include <vector>

#include "search/Varirur.h"
#include "tests/support/WaitFor.h"
#include "tools/lansearch/SimulatedDevices.h"

namespace {

using SearchDevFn = int(__stdcall*)(fSearchDevCB, void*);
using LoginDevFn = int(__stdcall*)(const char*, const char*, int);
using ModifyDevIpFn = int(__stdcall*)(DWORD, DWORD, DWORD, int, fModifyIPCB, void*);
using FinishOperateFn = int(__stdcall*)();

struct Library {
    HMODULE module = nullptr;
    SearchDevFn search = nullptr;
    LoginDevFn login = nullptr;
    ModifyDevIpFn modify = nullptr;
    FinishOperateFn finish = nullptr;
};

Library g_library;

FARPROC Export(const char* name) { return GetProcAddress(g_library.module, name); }

void LoadLibraryUnderTest() {
    g_library = Library();
    g_library.module = LoadLibraryW(L"Varirur.dll");
    if (!g_library.module) return;
    g_library.search = reinterpret_cast<SearchDevFn>(reinterpret_cast<void*>(Export("NET_SearchDev")));
    g_library.login = reinterpret_cast<LoginDevFn>(reinterpret_cast<void*>(Export("NET_LoginDev")));
    g_library.modify = reinterpret_cast<ModifyDevIpFn>(reinterpret_cast<void*>(Export("NET_ModifyDevIP")));
    g_library.finish = reinterpret_cast<FinishOperateFn>(reinterpret_cast<void*>(Export("NET_FinishOperate")));
}

// What the callbacks saw, written on the library's receive thread.
struct Observed {
    std::mutex lock;
    std::vector<DEVICE_NET_INFO> devices;
    std::vector<std::pair<int, std::string>> modifies;
    bool finishFromCallback = false;
    int finishResult = -100;
    bool callbackReturned = false;

    void Reset() {
        std::lock_guard<std::mutex> guard(lock);
        devices.clear();
        modifies.clear();
        finishFromCallback = false;
        finishResult = -100;
        callbackReturned = false;
    }
    size_t DeviceCount() {
        std::lock_guard<std::mutex> guard(lock);
        return devices.size();
    }
    size_t ModifyCount() {
        std::lock_guard<std::mutex> guard(lock);
        return modifies.size();
    }
};

Observed g_seen;

// Holds the library's receive thread inside the search callback of the text
// device (B, which replies after A), so that requests sent meanwhile queue up
// their own echoes behind one another, as they do when the caller is quick.
struct ReceiveGate {
    HANDLE held = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);

    void Arm() {
        ResetEvent(held);
        ResetEvent(release);
    }
    bool WaitHeld() { return WaitForSingleObject(held, 10000) == WAIT_OBJECT_0; }
    void Open() { SetEvent(release); }
};

ReceiveGate g_gate;

void __stdcall OnDevice(DEVICE_NET_INFO* info, void* user) {
    EXPECT_EQ(user, &g_seen);
    std::lock_guard<std::mutex> guard(g_seen.lock);
    g_seen.devices.push_back(*info);
}

void __stdcall OnDeviceHoldingAtB(DEVICE_NET_INFO* info, void* user) {
    OnDevice(info, user);
    if (info->port == 0) {
        SetEvent(g_gate.held);
        WaitForSingleObject(g_gate.release, 10000);
    }
}

void __stdcall OnDeviceThenFinish(DEVICE_NET_INFO* info, void*) {
    int result = g_library.finish();
    std::lock_guard<std::mutex> guard(g_seen.lock);
    g_seen.devices.push_back(*info);
    g_seen.finishResult = result;
    g_seen.callbackReturned = true;
}

void __stdcall OnModify(int result, const char* text, void* user) {
    EXPECT_EQ(user, &g_seen);
    std::lock_guard<std::mutex> guard(g_seen.lock);
    g_seen.modifies.emplace_back(result, text);
}

// The namespace's link address that the driver chose, or "" outside it.
std::string NamespaceAddress() {
    const char* value = getenv("VARIRUR_LAN_ADDRESS");
    return value ? value : "";
}

// True when this process sees only loopback and the namespace's link
// address: nothing it broadcasts can leave the test's own link.
bool OnlyTheTestLinkIsVisible(const std::string& linkAddress) {
    ULONG size = 0;
    if (GetIpAddrTable(nullptr, &size, FALSE) != ERROR_INSUFFICIENT_BUFFER) return false;
    std::vector<uint8_t> buffer(size);
    MIB_IPADDRTABLE* table = reinterpret_cast<MIB_IPADDRTABLE*>(buffer.data());
    if (GetIpAddrTable(table, &size, FALSE) != NO_ERROR) return false;
    bool sawLink = false;
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        in_addr address;
        address.s_addr = table->table[i].dwAddr;
        const std::string text = inet_ntoa(address);
        if (text == linkAddress)
            sawLink = true;
        else if (text.compare(0, 4, "127.") != 0)
            return false;
    }
    return sawLink;
}

int ThreadCount() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry;
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    CloseHandle(snapshot);
    return count;
}

// Lines of the responder's request log: "<command hex> <sender>".
std::vector<std::string> ResponderLog() {
    std::vector<std::string> lines;
    const char* path = getenv("VARIRUR_RESPONDER_LOG");
    FILE* file = path ? fopen(path, "r") : nullptr;
    if (!file) return lines;
    char line[256];
    while (fgets(line, sizeof(line), file)) lines.emplace_back(line);
    fclose(file);
    return lines;
}

size_t CountRequests(const char* commandHex) {
    size_t count = 0;
    for (const std::string& line : ResponderLog())
        if (line.compare(0, 2, commandHex) == 0) ++count;
    return count;
}

class VarirurLan : public testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::string address = NamespaceAddress();
        if (address.empty() || !OnlyTheTestLinkIsVisible(address)) return;
        LoadLibraryUnderTest();
    }

    void SetUp() override {
        if (NamespaceAddress().empty() || !OnlyTheTestLinkIsVisible(NamespaceAddress()))
            GTEST_SKIP() << "SKIPPED: the library broadcasts; these tests run only inside the "
                            "network namespaces made by tests/search/run-lan-tests.sh";
        ASSERT_TRUE(g_library.module && g_library.search && g_library.login && g_library.modify && g_library.finish);
        g_seen.Reset();
    }

    void TearDown() override {
        g_gate.Open();
        if (g_library.finish) g_library.finish();
    }

    // Searches and waits for both simulated devices; returns the 1-based
    // indexes of A and B in the library's found list.
    void SearchBoth(int* indexA, int* indexB) {
        g_seen.Reset();
        ASSERT_EQ(g_library.search(OnDevice, &g_seen), 1);
        ASSERT_TRUE(WaitFor([] { return g_seen.DeviceCount() >= 2; }));
        std::lock_guard<std::mutex> guard(g_seen.lock);
        *indexA = *indexB = 0;
        for (size_t i = 0; i < g_seen.devices.size(); ++i) {
            if (g_seen.devices[i].port == simdev::kDeviceAPort)
                *indexA = int(i + 1);
            else
                *indexB = int(i + 1);
        }
        ASSERT_NE(*indexA, 0);
        ASSERT_NE(*indexB, 0);
    }

    const DEVICE_NET_INFO& Device(int index) { return g_seen.devices[size_t(index - 1)]; }

    // Searches and returns A's index once the receive thread is held at B.
    int SearchAndHoldAtB() {
        g_seen.Reset();
        g_gate.Arm();
        EXPECT_EQ(g_library.search(OnDeviceHoldingAtB, &g_seen), 1);
        if (!g_gate.WaitHeld()) return 0;
        std::lock_guard<std::mutex> guard(g_seen.lock);
        for (size_t i = 0; i < g_seen.devices.size(); ++i)
            if (g_seen.devices[i].port == simdev::kDeviceAPort) return int(i + 1);
        return 0;
    }

    // Waits for the given number of modify answers, then for one login round
    // trip: everything received before it has been handled by then.
    std::vector<int> ModifyResultsAfter(size_t expected, int loginIndex) {
        EXPECT_TRUE(WaitFor([&] { return g_seen.ModifyCount() >= expected; }));
        EXPECT_GT(g_library.login(simdev::kUser, simdev::kPassword, loginIndex), 0);
        std::lock_guard<std::mutex> guard(g_seen.lock);
        std::vector<int> results;
        for (const auto& modify : g_seen.modifies) results.push_back(modify.first);
        return results;
    }
};

TEST_F(VarirurLan, SearchReportsEachDeviceOnceWithItsRecord) {
    int a, b;
    SearchBoth(&a, &b);
    // A login reply travels behind every search reply already sent, so once
    // it is back the repeated and broken replies have all been handled.
    ASSERT_GT(g_library.login(simdev::kUser, simdev::kPassword, a), 0);
    ASSERT_EQ(g_seen.DeviceCount(), 2u);

    const DEVICE_NET_INFO& deviceA = Device(a);
    EXPECT_EQ(deviceA.ip, simdev::kDeviceAIp);
    EXPECT_EQ(deviceA.address2, simdev::kDeviceAMask);
    EXPECT_EQ(deviceA.address3, simdev::kDeviceAGateway);
    EXPECT_EQ(deviceA.word4, simdev::kDeviceAWord4);
    EXPECT_STREQ(deviceA.ipText, "10.77.0.21");
    for (int i = 0; i < 17; ++i) EXPECT_EQ(deviceA.extra[i], simdev::kDeviceAExtensionFirst + i) << i;
    EXPECT_EQ(deviceA.extra[17], 0);

    const DEVICE_NET_INFO& deviceB = Device(b);
    EXPECT_EQ(deviceB.ip, simdev::kDeviceBIp);
    EXPECT_EQ(deviceB.address2, simdev::Address(255, 255, 0, 0));
    EXPECT_EQ(deviceB.address3, simdev::Address(10, 77, 0, 254));
    EXPECT_EQ(deviceB.port, 0);
    EXPECT_STREQ(deviceB.ipText, "10.77.0.22");
    EXPECT_STREQ(reinterpret_cast<const char*>(deviceB.extra), "camera-b");

    // A second search starts a new list and reports both again.
    SearchBoth(&a, &b);
    ASSERT_GT(g_library.login(simdev::kUser, simdev::kPassword, a), 0);
    EXPECT_EQ(g_seen.DeviceCount(), 2u);
}

TEST_F(VarirurLan, LoginReportsTheDevicesAnswer) {
    int a, b;
    SearchBoth(&a, &b);
    // Device A answers only requests that carry its own extension, so each
    // success also shows that A's extension went with the request.
    EXPECT_EQ(g_library.login(simdev::kUser, simdev::kPassword, a), 32 + simdev::kDeviceAExtensionLength);
    EXPECT_EQ(g_library.login(simdev::kLongUser, simdev::kPassword, a), 34 + 13 + 6 + simdev::kDeviceAExtensionLength);
    EXPECT_EQ(g_library.login(simdev::kUser, "wrong", a), -2);
}

TEST_F(VarirurLan, LoginWithoutAnswerTimesOut) {
    int a, b;
    SearchBoth(&a, &b);
    EXPECT_EQ(g_library.login(simdev::kUser, simdev::kPassword, b), -9);
}

TEST_F(VarirurLan, UnknownIndexesAreRefusedWithoutSending) {
    int a, b;
    SearchBoth(&a, &b);
    const size_t loginsBefore = CountRequests("a0");
    const size_t modifiesBefore = CountRequests("c1");
    for (int index : {0, -1, 3, 1000}) {
        EXPECT_EQ(g_library.login(simdev::kUser, simdev::kPassword, index), -1) << index;
        EXPECT_EQ(g_library.modify(0, 0, 0, index, OnModify, &g_seen), -1) << index;
    }
    // A login that is answered shows the responder has read everything sent before it.
    ASSERT_GT(g_library.login(simdev::kUser, simdev::kPassword, a), 0);
    EXPECT_EQ(CountRequests("a0"), loginsBefore + 1);
    EXPECT_EQ(CountRequests("c1"), modifiesBefore);
}

TEST_F(VarirurLan, IpChangeReachesTheCallbackWithTheDevicesAnswer) {
    int a, b;
    SearchBoth(&a, &b);
    // The request comes back to the library's own socket too; taken for an
    // answer, it would report success before the device refuses.
    ASSERT_EQ(g_library.modify(0, simdev::kDeviceAMask, simdev::kDeviceAGateway, a, OnModify, &g_seen), 0);
    ASSERT_TRUE(WaitFor([] { return g_seen.ModifyCount() >= 1; }));
    {
        std::lock_guard<std::mutex> guard(g_seen.lock);
        ASSERT_EQ(g_seen.modifies.size(), 1u);
        EXPECT_EQ(g_seen.modifies[0].first, 2);
        EXPECT_EQ(g_seen.modifies[0].second, "\xCA\xFD\xBE\xDD\xB2\xBB\xBA\xCF\xB7\xA8!");
    }

    const DWORD newIp = simdev::Address(10, 77, 0, 50);
    const DWORD newMask = simdev::Address(255, 255, 0, 0);
    const DWORD newGateway = simdev::Address(10, 77, 0, 254);
    ASSERT_EQ(g_library.modify(newIp, newMask, newGateway, a, OnModify, &g_seen), 0);
    ASSERT_TRUE(WaitFor([] { return g_seen.ModifyCount() >= 2; }));
    {
        std::lock_guard<std::mutex> guard(g_seen.lock);
        ASSERT_EQ(g_seen.modifies.size(), 2u);
        EXPECT_EQ(g_seen.modifies[1].first, 0);
        EXPECT_EQ(g_seen.modifies[1].second, "IP\xB5\xD8\xD6\xB7\xD0\xDE\xB8\xC4\xB3\xC9\xB9\xA6!");
    }

    // The device took the record with the new words.
    SearchBoth(&a, &b);
    EXPECT_EQ(Device(a).ip, newIp);
    EXPECT_EQ(Device(a).address2, newMask);
    EXPECT_EQ(Device(a).address3, newGateway);
    EXPECT_STREQ(Device(a).ipText, "10.77.0.50");
}

// Device A refuses an IP change to address 0 (result 2, invalid data). Each
// request's echo carries 0 in the result byte: taken for an answer, it would
// report the change as made.
TEST_F(VarirurLan, EchoesOfEarlierRequestsAreNotAnswers) {
    // Two quick IP changes, both on the way before either echo is read.
    int a = SearchAndHoldAtB();
    ASSERT_NE(a, 0);
    ASSERT_EQ(g_library.modify(0, simdev::kDeviceAMask, simdev::kDeviceAGateway, a, OnModify, &g_seen), 0);
    ASSERT_EQ(g_library.modify(0, simdev::Address(255, 255, 0, 0), simdev::kDeviceAGateway, a, OnModify, &g_seen), 0);
    g_gate.Open();
    EXPECT_EQ(ModifyResultsAfter(2, a), std::vector<int>({2, 2}));

    // An IP change, then a search before the change's echo is read.
    a = SearchAndHoldAtB();
    ASSERT_NE(a, 0);
    ASSERT_EQ(g_library.modify(0, simdev::kDeviceAMask, simdev::kDeviceAGateway, a, OnModify, &g_seen), 0);
    const size_t foundBefore = g_seen.DeviceCount();
    ASSERT_EQ(g_library.search(OnDevice, &g_seen), 1);
    g_gate.Open();
    ASSERT_TRUE(WaitFor([&] { return g_seen.DeviceCount() >= foundBefore + 2; }));
    {
        std::lock_guard<std::mutex> guard(g_seen.lock);
        a = 0;
        for (size_t i = foundBefore; i < g_seen.devices.size(); ++i)
            if (g_seen.devices[i].port == simdev::kDeviceAPort) a = int(i - foundBefore + 1);
    }
    ASSERT_NE(a, 0);
    EXPECT_EQ(ModifyResultsAfter(1, a), std::vector<int>({2}));
}

TEST_F(VarirurLan, FinishOperateClosesSocketAndThread) {
    const int threadsBefore = ThreadCount();
    int a, b;
    SearchBoth(&a, &b);
    EXPECT_GT(ThreadCount(), threadsBefore);
    EXPECT_EQ(g_library.finish(), 0);
    EXPECT_EQ(g_library.finish(), 0);
    EXPECT_EQ(ThreadCount(), threadsBefore);

    // The port is free again.
    SOCKET probe = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_port = htons(5050);
    EXPECT_EQ(bind(probe, reinterpret_cast<const sockaddr*>(&local), sizeof(local)), 0);
    closesocket(probe);

    // The found devices' extensions are gone with the socket.
    EXPECT_EQ(g_library.login(simdev::kUser, simdev::kPassword, a), -1);
    // A search opens everything again.
    SearchBoth(&a, &b);
    EXPECT_GT(g_library.login(simdev::kUser, simdev::kPassword, a), 0);
}

// The caller unloads the library without finishing: the receive thread is
// still running, and it cannot end while the unload holds the loader lock.
TEST_F(VarirurLan, UnloadWithASearchOpenReturnsPromptly) {
    const int threadsBefore = ThreadCount();
    int a, b;
    SearchBoth(&a, &b);
    const DWORD start = GetTickCount();
    ASSERT_TRUE(FreeLibrary(g_library.module));
    const DWORD took = GetTickCount() - start;
    g_library = Library();
    EXPECT_EQ(GetModuleHandleW(L"Varirur.dll"), nullptr);
    EXPECT_LT(took, 1000u);
    EXPECT_TRUE(WaitFor([&] { return ThreadCount() == threadsBefore; }));

    // The process goes on, and the library loads again and finds the port free.
    LoadLibraryUnderTest();
    ASSERT_TRUE(g_library.module && g_library.search && g_library.login && g_library.modify && g_library.finish);
    SearchBoth(&a, &b);
    EXPECT_GT(g_library.login(simdev::kUser, simdev::kPassword, a), 0);
}

TEST_F(VarirurLan, CallbackMayFinishTheOperation) {
    const int threadsBefore = ThreadCount();
    ASSERT_EQ(g_library.search(OnDeviceThenFinish, &g_seen), 1);
    ASSERT_TRUE(WaitFor([] {
        std::lock_guard<std::mutex> guard(g_seen.lock);
        return g_seen.callbackReturned;
    }));
    {
        std::lock_guard<std::mutex> guard(g_seen.lock);
        EXPECT_EQ(g_seen.finishResult, 0);
        EXPECT_EQ(g_seen.devices.size(), 1u);
    }
    // The receive thread ends on its own once the callback has returned.
    EXPECT_TRUE(WaitFor([&] { return ThreadCount() == threadsBefore; }));
    int a, b;
    SearchBoth(&a, &b);
    EXPECT_GT(g_library.login(simdev::kUser, simdev::kPassword, a), 0);
}

}  // namespace
