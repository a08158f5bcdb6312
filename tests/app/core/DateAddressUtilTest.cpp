#include <winsock2.h>

#include "app/core/DateAddressUtil.h"

#include <gtest/gtest.h>

TEST(DateAddressUtilTest, ValidDates) {
    const struct {
        UINT year, month, day;
        BOOL valid;
    } cases[] = {
        {2026, 6, 15, TRUE}, {2000, 1, 1, TRUE},   {2037, 12, 31, TRUE}, {2020, 12, 31, TRUE}, {1999, 6, 1, FALSE},
        {2038, 1, 1, FALSE}, {2010, 13, 1, FALSE}, {2010, 6, 32, FALSE}, {2010, 6, 0, FALSE},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.valid, IsValidDate(c.year, c.month, c.day)) << c.year << "-" << c.month << "-" << c.day;
}

TEST(DateAddressUtilTest, AddressTexts) {
    const BYTE stored[4] = {0xC0, 0xA8, 0x01, 0x0A};
    DWORD value;
    memcpy(&value, stored, 4);
    EXPECT_STREQ(L"192.168.1.10", IpToString(value));
    EXPECT_STREQ(L"192.168.1.10", IpHostOrderToString(0xC0A8010A));
    EXPECT_EQ(0xC0A8010Au, StringToIpHostOrder(L"192.168.1.10"));
    EXPECT_EQ(static_cast<DWORD>(INADDR_NONE), StringToIpHostOrder(L"not an address"));
    EXPECT_GE(GetLocaleDateOrder(), 0);
    EXPECT_LE(GetLocaleDateOrder(), 2);
}

TEST(DateAddressUtilTest, LocalAddressTowardsALoopbackListener) {
    WSADATA data;
    ASSERT_EQ(0, WSAStartup(MAKEWORD(2, 2), &data));
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(0, bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)));
    ASSERT_EQ(0, listen(listener, 4));
    int length = sizeof(address);
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    EXPECT_STREQ(L"127.0.0.1", GetLocalIpTowards(L"127.0.0.1", ntohs(address.sin_port)));
    closesocket(listener);
    // Nobody listens there any more.
    EXPECT_STREQ(L"", GetLocalIpTowards(L"127.0.0.1", ntohs(address.sin_port)));
    WSACleanup();
}

TEST(DateAddressUtilTest, FileVersionText) {
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    CString version = GetFileVersionString(CString(system) + L"\\kernel32.dll");
    // "major.minor(2).build.revision(4)"
    ASSERT_FALSE(version.IsEmpty());
    int dots = 0;
    for (int i = 0; i < version.GetLength(); ++i) dots += version.GetAt(i) == L'.';
    EXPECT_EQ(3, dots);
    EXPECT_EQ(4, version.GetLength() - version.ReverseFind(L'.') - 1) << version.GetString();
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    EXPECT_STREQ(L"", GetFileVersionString(self));  // built without a version resource
}
