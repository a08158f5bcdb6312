#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "proxy/PluginPath.h"
#include "proxy/ProxyRecords.h"

TEST(PluginPath, PluginsLieBesideTheProxyInTheOriginalCase) {
    struct Case {
        const char* module;
        const char* plugin;
        const char* expected;
    } cases[] = {
        {"C:\\APPS\\PORTMOOR.DLL", "Quorlan.dll", "C:\\APPS\\Quorlan.dll"},
        {"c:\\Program Files\\Dodavozi\\Portmoor.dll", "Kestrin.dll", "c:\\Program Files\\Dodavozi\\Kestrin.dll"},
        {"Z:\\Work\\build\\bin\\portmoor.dll", "Veddix.dll", "Z:\\Work\\build\\bin\\Veddix.dll"},
        {"D:\\Renamed\\proxy2.dll", "Veddix.dll", "D:\\Renamed\\Veddix.dll"},
        {"Portmoor.dll", "Veddix.dll", "Veddix.dll"},
    };
    for (const Case& c : cases) {
        char out[1280];
        ASSERT_TRUE(BuildPluginPath(c.module, c.plugin, out, sizeof(out))) << c.module;
        EXPECT_STREQ(c.expected, out);
    }
}

TEST(PluginPath, FindAndRefuse) {
    EXPECT_EQ(8, FindProxyFileName("C:\\APPS\\PortMoor.Dll"));
    EXPECT_EQ(-1, FindProxyFileName("C:\\APPS\\portmoor.dl"));
    EXPECT_EQ(-1, FindProxyFileName(nullptr));
    const std::string deep = std::string(1030, 'a') + "\\portmoor.dll";
    EXPECT_EQ(-1, FindProxyFileName(deep.c_str()));

    char tiny[12];
    EXPECT_FALSE(BuildPluginPath("C:\\APPS\\Portmoor.dll", "Quorlan.dll", tiny, sizeof(tiny)));
    EXPECT_STREQ("", tiny);
    EXPECT_FALSE(BuildPluginPath(nullptr, "Quorlan.dll", tiny, sizeof(tiny)));
}

TEST(ProxyRecords, UnterminatedFieldsAreCutWithinTheirWidth) {
    PROXY_DEVICE_INFO info;
    std::memset(&info, 'x', sizeof(info));
    info.regPort = 7000;
    info.streamMode = 2;
    info.channelCount = 8;
    info.deviceInfo = 16;
    PLUGIN_DEVICE_RECORD record;
    FillPluginRecord(info, true, record);
    EXPECT_EQ(std::string(31, 'x'), record.regAddress);
    EXPECT_EQ(std::string(32, 'x'), record.userName) << "a 32-byte source field fills at most 32 of the 64";
    EXPECT_EQ(std::string(32, 'x'), record.password);
    EXPECT_EQ(std::string(64, 'x'), record.registrationId);
    EXPECT_EQ(7000, record.regPort);
    EXPECT_EQ(2, record.streamMode);
    EXPECT_EQ(8, record.channelCount);
    EXPECT_EQ(16, record.deviceInfo);

    std::strcpy(info.regAddress, "127.0.0.1");
    FillPluginRecord(info, false, record);
    EXPECT_STREQ("127.0.0.1", record.regAddress);
    EXPECT_EQ(0, record.streamMode);
    EXPECT_EQ(0, record.channelCount);
    EXPECT_EQ(0, record.deviceInfo);
}
