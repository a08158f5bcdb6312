// The play-port pool over the real playback SDK, with single SDK entries
// replaced by recorders where the calls themselves are what matters.
#include <gtest/gtest.h>

#include <string>

#include "PlaybackFixtures.h"
#include "TempDir.h"
#include "WaitFor.h"
#include "app/engine/CPlayPortPool.h"

namespace {

std::string g_calls;

void Log(const std::string& call) { g_calls += call + " "; }
std::string N(long value) { return std::to_string(value); }

// Each records its call and passes it on to the real library.
struct Spy {
    static BOOL __stdcall StreamKind(LONG p, LONG k) {
        Log("Kind(" + N(p) + "," + N(k) + ")");
        return PlayLib().SetPortStreamKind(p, k);
    }
    static BOOL __stdcall Open(LONG p, const BYTE* h, DWORD hs, DWORD size) {
        Log("Open(" + N(p) + "," + N(static_cast<long>(size)) + ")");
        return PlayLib().OpenPortStream(p, h, hs, size);
    }
    static BOOL __stdcall OpenFails(LONG p, const BYTE*, DWORD, DWORD) {
        Log("Open(" + N(p) + ")");
        return FALSE;
    }
    static BOOL __stdcall Play(LONG p, HWND w) {
        Log("Play(" + N(p) + "," + (w ? "window" : "none") + ")");
        return PlayLib().StartPortPlay(p, w);
    }
    static BOOL __stdcall PlayFails(LONG p, HWND) {
        Log("Play(" + N(p) + ")");
        return FALSE;
    }
    static BOOL __stdcall Callback(LONG p, QVPLAY_DisplayCallback c, LONG_PTR u) {
        Log("Callback(" + N(p) + ")");
        return PlayLib().SetViewCallback(p, c, u);
    }
    static BOOL __stdcall Close(LONG p) {
        Log("Close(" + N(p) + ")");
        return PlayLib().ClosePortStream(p);
    }
    static BOOL __stdcall Stop(LONG p) {
        Log("Stop(" + N(p) + ")");
        return PlayLib().StopPortPlay(p);
    }
    static BOOL __stdcall SoundOn(LONG p) {
        Log("SoundOn(" + N(p) + ")");
        return TRUE;
    }
    static BOOL __stdcall SoundOff(LONG p) {
        Log("SoundOff(" + N(p) + ")");
        return TRUE;
    }
    static BOOL __stdcall Region(LONG p, DWORD i, const RECT* r, HWND w, BOOL e) {
        Log("Region(" + N(p) + "," + N(static_cast<long>(i)) + "," + N(r->left) + "," + N(r->top) + "," + N(r->right) +
            "," + N(r->bottom) + "," + (w ? "window" : "none") + "," + N(e) + ")");
        return TRUE;
    }
    static BOOL __stdcall BeginWrite(LONG p, const char* path, DWORD mode) {
        Log("BeginWrite(" + N(p) + ")");
        return PlayLib().BeginFileWrite(p, path, mode);
    }
    static BOOL __stdcall Triple(LONG p, DWORD kind, BYTE* buffer, DWORD size, DWORD* returned) {
        Log("Triple(" + N(p) + "," + N(static_cast<long>(kind)) + "," + N(static_cast<long>(size)) + ")");
        if (p == 5) return FALSE;
        LONG* values = reinterpret_cast<LONG*>(buffer);
        for (int i = 0; i < 6; ++i) values[i] = 10 + i;
        *returned = 24;
        return TRUE;
    }
};

class PlayPortPoolTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(PlayLib().IsLoaded()) << "qvplay.dll with every ordinal"; }

    void SetUp() override {
        g_calls.clear();
        ASSERT_TRUE(m_sdk.Load());
        m_sdk.SetPortStreamKind = Spy::StreamKind;
        m_sdk.OpenPortStream = Spy::Open;
        m_sdk.StartPortPlay = Spy::Play;
        m_sdk.SetViewCallback = Spy::Callback;
        m_sdk.ClosePortStream = Spy::Close;
        m_sdk.StopPortPlay = Spy::Stop;
        m_sdk.SoundOn = Spy::SoundOn;
        m_sdk.SoundOff = Spy::SoundOff;
        m_sdk.SetViewRegion = Spy::Region;
        m_sdk.BeginFileWrite = Spy::BeginWrite;
        m_sdk.QueryPortTriple = Spy::Triple;
    }

    CQvPlayLibrary m_sdk;
    CPlayPortPool m_pool{m_sdk};
};

TEST_F(PlayPortPoolTest, DisplayPortsFromZeroConversionPortsFromSixtyFourNeverNinetyNine) {
    EXPECT_EQ(0, m_pool.AllocPort(0));
    EXPECT_EQ(64, m_pool.AllocPort(1));
    for (int port = 1; port <= 98; ++port) {
        if (port != 64) {
            EXPECT_EQ(port, m_pool.AllocPort(0));
        }
    }
    EXPECT_EQ(-1, m_pool.AllocPort(0)) << "99 is never handed out";
    for (int port = 0; port < 64; ++port) m_pool.FreePort(port);
    EXPECT_EQ(-1, m_pool.AllocPort(1)) << "conversion ports never take 0..63";
    EXPECT_EQ(0, m_pool.AllocPort(0));
    m_pool.FreePort(70);
    EXPECT_EQ(70, m_pool.AllocPort(1));
    EXPECT_EQ(0, m_pool.FreePort(99));
    EXPECT_EQ(0, m_pool.FreePort(-3));
    EXPECT_EQ(0, m_pool.FreePort(100));
}

TEST_F(PlayPortPoolTest, PortsOutsideTheRangeAreRefusedWithoutSdkCalls) {
    const uint8_t data[4] = {};
    int a = 0, b = 0, c = 0;
    RECT rect = {0, 0, 10, 10};
    for (int port : {-1, 100, 128}) {
        EXPECT_EQ(-1, m_pool.CloseStream(port));
        EXPECT_EQ(0, m_pool.InputData(port, data, 4));
        EXPECT_EQ(-1, m_pool.StartConvertToFile(port, L"x.avi"));
        EXPECT_EQ(-1, m_pool.StopConvertToFile(port));
        EXPECT_EQ(0, m_pool.CapturePicture(port, L"x.bmp"));
        EXPECT_EQ(-1, m_pool.PlaySound(port));
        EXPECT_EQ(-1, m_pool.Pause(port, 1));
        EXPECT_EQ(-1, m_pool.SpeedUp(port));
        EXPECT_EQ(-1, m_pool.SlowDown(port));
        EXPECT_EQ(1, m_pool.IsDrained(port));
        EXPECT_EQ(-1, m_pool.RefreshPort(port));
        EXPECT_EQ(-1, m_pool.ClearDisplay(port));
        EXPECT_EQ(-1, m_pool.SetDisplayRegionScaled(port, 0, rect, rect, nullptr, TRUE));
        EXPECT_EQ(-1, m_pool.QueryPortInfo(port, &a, &b, &c));
        EXPECT_EQ(-1, m_pool.SetPortQuadA(port, 1, 2, 3, 4));
    }
    EXPECT_EQ("", g_calls);
}

TEST_F(PlayPortPoolTest, OpensAndClosesStreamsInOrder) {
    HWND window = CreateWindowW(L"STATIC", L"", WS_OVERLAPPED, 0, 0, 64, 48, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(window);
    EXPECT_EQ(64, m_pool.OpenStream(nullptr, PLAY_KIND_CONVERSION));
    EXPECT_EQ("Kind(64,1) Open(64,102400) Play(64,none) ", g_calls);
    g_calls.clear();
    EXPECT_EQ(0, m_pool.OpenStream(window, PLAY_KIND_DISPLAY));
    EXPECT_EQ("Kind(0,0) Open(0,921600) Callback(0) Play(0,window) ", g_calls);

    m_pool.PlaySound(0);
    g_calls.clear();
    EXPECT_EQ(0, m_pool.CloseStream(0));
    EXPECT_EQ("SoundOff(0) Region(0,0,1,1,1,1,none,0) Stop(0) Close(0) ", g_calls);
    EXPECT_EQ(-1, m_pool.SoundPort());
    EXPECT_FALSE(m_pool.IsInUse(0));
    EXPECT_EQ(0, m_pool.CloseStream(64));
    EXPECT_FALSE(m_pool.IsInUse(64));
    DestroyWindow(window);
}

TEST_F(PlayPortPoolTest, AFailedOpenGivesThePortBack) {
    m_sdk.OpenPortStream = Spy::OpenFails;
    EXPECT_EQ(-1, m_pool.OpenStream(nullptr, PLAY_KIND_CONVERSION));
    EXPECT_FALSE(m_pool.IsInUse(64));
    m_sdk.OpenPortStream = Spy::Open;
    m_sdk.StartPortPlay = Spy::PlayFails;
    g_calls.clear();
    EXPECT_EQ(-1, m_pool.OpenStream(nullptr, PLAY_KIND_CONVERSION));
    EXPECT_EQ("Kind(64,1) Open(64,102400) Play(64) Close(64) ", g_calls);
    EXPECT_FALSE(m_pool.IsInUse(64));
    EXPECT_EQ(64, m_pool.AllocPort(1));
}

TEST_F(PlayPortPoolTest, KeepsOneSoundPort) {
    EXPECT_EQ(0, m_pool.StopSound(-1));
    EXPECT_EQ("SoundOff(-1) ", g_calls);
    EXPECT_EQ(-1, m_pool.SoundPort());

    struct Step {
        const char* action;
        int port;
        const char* calls;
        int soundPort;
    } steps[] = {
        {"play", 3, "SoundOn(3) ", 3},
        {"play", 5, "SoundOff(3) SoundOn(5) ", 5},
        {"stop", 7, "SoundOff(5) SoundOff(7) ", -1},
        {"play", 5, "SoundOn(5) ", 5},
        {"stop", 5, "SoundOff(5) ", 5},
        {"stop", -1, "SoundOff(5) ", -1},
    };
    for (const Step& s : steps) {
        g_calls.clear();
        EXPECT_EQ(0, std::string(s.action) == "play" ? m_pool.PlaySound(s.port) : m_pool.StopSound(s.port));
        EXPECT_EQ(s.calls, g_calls) << s.action << " " << s.port;
        EXPECT_EQ(s.soundPort, m_pool.SoundPort()) << s.action << " " << s.port;
    }
}

TEST_F(PlayPortPoolTest, ConvertsOnlyOnPortsInUse) {
    TempDir dir;
    const std::wstring path = dir.File(L"out.avi");
    EXPECT_EQ(-1, m_pool.StartConvertToFile(64, path.c_str()));
    EXPECT_EQ("", g_calls) << "no SDK call for a free port";
    const int port = m_pool.OpenStream(nullptr, PLAY_KIND_CONVERSION);
    ASSERT_EQ(64, port);
    EXPECT_EQ(0, m_pool.StartConvertToFile(port, path.c_str()));
    EXPECT_EQ(-1, m_pool.StartConvertToFile(port, path.c_str())) << "already writing";
    EXPECT_EQ(0, m_pool.StopConvertToFile(port));
    EXPECT_TRUE(PathExists(path));
    m_pool.CloseStream(port);
}

TEST_F(PlayPortPoolTest, ScalesDisplayRegionsToThePictureSize) {
    const int port = m_pool.OpenStream(nullptr, PLAY_KIND_DISPLAY);
    ASSERT_EQ(0, port);
    RECT rect = {10, 20, 30, 40};
    const RECT ref = {0, 0, 100, 200};
    EXPECT_EQ(-1, m_pool.SetDisplayRegionScaled(port, 1, rect, ref, nullptr, TRUE)) << "no picture size yet";

    streamfmt::StreamParams streamParams;
    streamParams.width = 64;
    streamParams.height = 48;
    streamParams.beginTime = 1000;
    streamParams.endTime = 1002;
    const std::vector<uint8_t> stream = streamfmt::BuildStream(streamParams);
    ASSERT_EQ(1, m_pool.InputData(port, stream.data(), static_cast<int>(stream.size())));
    int width = 0, height = 0;
    ASSERT_TRUE(WaitFor([&] { return m_pool.GetPictureSize(port, &width, &height) == 0; }));
    EXPECT_EQ(64, width);
    EXPECT_EQ(48, height);

    g_calls.clear();
    EXPECT_EQ(0, m_pool.SetDisplayRegionScaled(port, 1, rect, ref, nullptr, TRUE));
    EXPECT_EQ("Region(0,1,10,20,30,40,none,1) Region(0,1,6,4,19,9,none,1) ", g_calls);
    g_calls.clear();
    const RECT flat = {5, 0, 5, 200};
    EXPECT_EQ(-1, m_pool.SetDisplayRegionScaled(port, 1, rect, flat, nullptr, TRUE));
    EXPECT_EQ("Region(0,1,10,20,30,40,none,1) ", g_calls) << "the unscaled region was already set";
    m_pool.CloseStream(port);
}

TEST_F(PlayPortPoolTest, ReportsTheLastThreePlayStateValues) {
    int a = 0, b = 0, c = 0;
    EXPECT_EQ(0, m_pool.QueryPortInfo(3, &a, &b, &c));
    EXPECT_EQ("Triple(3,1,24) ", g_calls);
    EXPECT_EQ(13, a);
    EXPECT_EQ(14, b);
    EXPECT_EQ(15, c);
    EXPECT_EQ(-1, m_pool.QueryPortInfo(5, &a, &b, &c));
}

}  // namespace
