// The play ports' table and turns, and the conversion of a fed recording
// into an AVI file.
#include "PlayPortFixture.h"

TEST_F(PlayPortTest, PortNumbersOutsideTheTableAreRefusedByEveryOperation) {
    CQvPlayLibrary& q = Lib();
    RECT r = {0, 0, 4, 4};
    BYTE buf[24];
    DWORD returned;
    LONG w, h;
    const BYTE data[4] = {1, 2, 3, 4};
    for (LONG port : {-1L, static_cast<LONG>(QVPLAY_MAX_PORTS), 100000L, LONG_MIN, LONG_MAX}) {
        SCOPED_TRACE(port);
        EXPECT_FALSE(q.SetPortStreamKind(port, 1));
        EXPECT_FALSE(q.OpenPortStream(port, nullptr, 0, 1024));
        EXPECT_FALSE(q.FeedPortData(port, data, 4));
        EXPECT_FALSE(q.StartPortPlay(port, nullptr));
        EXPECT_FALSE(q.SetPortPaused(port, 1));
        EXPECT_FALSE(q.StepSpeedUp(port));
        EXPECT_FALSE(q.StepSpeedDown(port));
        EXPECT_FALSE(q.RedrawPort(port));
        EXPECT_FALSE(q.RepaintPort(port));
        EXPECT_FALSE(q.QueryPictureDims(port, &w, &h));
        EXPECT_FALSE(q.SetPortValueA(port, 4));
        EXPECT_FALSE(q.SetPortValueB(port, 1));
        EXPECT_FALSE(q.SoundOn(port));
        EXPECT_EQ(0u, q.QueryPendingData(port));
        EXPECT_EQ(0u, q.QueryBufferedAmount(port, 3));
        EXPECT_FALSE(q.SetViewRegion(port, 0, &r, nullptr, TRUE));
        EXPECT_FALSE(q.SetViewCallback(port, nullptr, 0));
        EXPECT_FALSE(q.SetPortQuadA(port, 0, 64, 64, 64, 64));
        EXPECT_FALSE(q.SetPortQuadB(port, 0, 1, 1, 1, 1));
        EXPECT_FALSE(q.SavePicture(port, "x.bmp"));
        EXPECT_FALSE(q.BeginFileWrite(port, "x.avi", QVPLAY_FILE_AVI));
        EXPECT_FALSE(q.EndFileWrite(port));
        EXPECT_FALSE(q.QueryPortTriple(port, 1, buf, 24, &returned));
        EXPECT_FALSE(q.StopPortPlay(port));
        EXPECT_FALSE(q.ClosePortStream(port));
        if (port != -1) {
            EXPECT_FALSE(q.SoundOff(port));
        }
    }
    // -1 means every port for sound off.
    EXPECT_TRUE(q.SoundOff(-1));
}

TEST_F(PlayPortTest, OperationsOutOfTurnAreRefused) {
    CQvPlayLibrary& q = Lib();
    TempDir dir;
    const BYTE data[4] = {1, 2, 3, 4};
    const LONG p = 3;
    EXPECT_FALSE(q.FeedPortData(p, data, 4)) << "closed port";
    EXPECT_FALSE(q.StartPortPlay(p, nullptr)) << "closed port";
    EXPECT_FALSE(q.ClosePortStream(p)) << "closed port";
    EXPECT_FALSE(q.EndFileWrite(p)) << "closed port";
    EXPECT_FALSE(q.SetPortStreamKind(p, 2)) << "unknown kind";
    EXPECT_FALSE(q.OpenPortStream(p, nullptr, 0, 0)) << "no buffer";
    {
        Port port(p, QVPLAY_STREAM_REALTIME, 4096);
        EXPECT_FALSE(q.OpenPortStream(p, nullptr, 0, 4096)) << "opened twice";
        EXPECT_FALSE(q.SetPortStreamKind(p, QVPLAY_STREAM_FILE)) << "kind while open";
        HWND dead = CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(dead);
        DestroyWindow(dead);
        EXPECT_FALSE(q.StartPortPlay(p, dead)) << "dead window";
        EXPECT_FALSE(q.SetViewRegion(p, 0, nullptr, nullptr, TRUE)) << "region without rectangle";
        RECT empty = {5, 5, 5, 9};
        EXPECT_FALSE(q.SetViewRegion(p, 0, &empty, nullptr, TRUE)) << "empty region";
        EXPECT_FALSE(q.SetViewRegion(p, QVPLAY_MAX_REGIONS, &empty, nullptr, FALSE)) << "region index";
        EXPECT_TRUE(q.SetViewRegion(p, 0, &empty, nullptr, FALSE)) << "removing takes any rectangle";
        EXPECT_FALSE(q.SetPortValueA(p, 0));
        EXPECT_FALSE(q.SetPortValueA(p, QVPLAY_MAX_DECODE_AHEAD + 1));
        EXPECT_FALSE(q.SetPortValueB(p, 2));
        EXPECT_FALSE(q.SetPortQuadA(p, 0, 64, 64, 129, 64));
        EXPECT_FALSE(q.SetPortQuadB(p, 0, -1, 0, 0, 0));
        EXPECT_FALSE(q.SavePicture(p, Narrow(dir.File(L"none.bmp")).c_str())) << "nothing shown yet";
        LONG w = 0, h = 0;
        EXPECT_FALSE(q.QueryPictureDims(p, &w, &h)) << "no header yet";
        EXPECT_FALSE(q.BeginFileWrite(p, Narrow(dir.File(L"a.avi")).c_str(), 2)) << "unknown file mode";
        EXPECT_FALSE(q.BeginFileWrite(p, Narrow(dir.File(L"no\\such\\dir.avi")).c_str(), 1)) << "bad path";
        EXPECT_TRUE(q.BeginFileWrite(p, Narrow(dir.File(L"a.avi")).c_str(), 1));
        EXPECT_FALSE(q.BeginFileWrite(p, Narrow(dir.File(L"b.avi")).c_str(), 1)) << "already writing";
        BYTE small[8];
        DWORD returned = 0;
        EXPECT_FALSE(q.QueryPortTriple(p, QVPLAY_QUERY_PLAY_STATE, small, sizeof(small), &returned));
        EXPECT_EQ(24u, returned) << "the size needed";
        EXPECT_FALSE(q.QueryPortTriple(p, 2, small, sizeof(small), &returned)) << "unknown query";
        for (int i = 0; i < QVPLAY_MAX_SPEED_STEP; ++i) EXPECT_TRUE(q.StepSpeedUp(p));
        EXPECT_FALSE(q.StepSpeedUp(p)) << "past the fastest step";
        for (int i = QVPLAY_MAX_SPEED_STEP; i > QVPLAY_MIN_SPEED_STEP; --i) EXPECT_TRUE(q.StepSpeedDown(p));
        EXPECT_FALSE(q.StepSpeedDown(p)) << "past the slowest step";
    }
    // Closing finished the file that was being written.
    AviContents avi;
    std::string error;
    EXPECT_TRUE(ReadAviFile(ReadWholeFile(dir.File(L"a.avi")), avi, error)) << error;
    EXPECT_FALSE(q.FeedPortData(p, data, 4)) << "closed again";
}

TEST_F(PlayPortTest, ConvertsAFedRecordingIntoAnAviWithItsFramesSizeAndRate) {
    CQvPlayLibrary& q = Lib();
    TempDir dir;
    const StreamParams streamParams = Params(7, 64, 48, 5, 12);  // 60 pictures, 3096 bytes each: more than the buffer
    std::vector<uint8_t> stream = BuildStream(streamParams);
    ASSERT_GT(stream.size(), kConversionBuffer);
    Port port(64, QVPLAY_STREAM_FILE, kConversionBuffer);
    ASSERT_TRUE(q.BeginFileWrite(port, Narrow(dir.File(L"out.avi")).c_str(), QVPLAY_FILE_AVI));

    // Nothing drains before play starts: the buffer fills and refuses.
    size_t taken = 0;
    while (taken < stream.size() && q.FeedPortData(port, &stream[taken], 4096)) taken += 4096;
    ASSERT_LT(taken, stream.size());
    EXPECT_LT(q.QueryBufferedAmount(port, QVPLAY_BUFFERED_FREE_BYTES), 4096u);
    EXPECT_GT(taken + 4096, static_cast<size_t>(kConversionBuffer));

    ASSERT_TRUE(q.StartPortPlay(port, nullptr));
    ASSERT_TRUE(FeedAll(port, std::vector<uint8_t>(stream.begin() + taken, stream.end())));
    // The end marker the conversion queue sends after the last block.
    ASSERT_TRUE(FeedAll(port, std::vector<uint8_t>(8192, 0)));
    ASSERT_TRUE(q.EndFileWrite(port));

    AviContents avi;
    std::string error;
    ASSERT_TRUE(ReadAviFile(ReadWholeFile(dir.File(L"out.avi")), avi, error)) << error;
    EXPECT_EQ(60u, avi.totalFrames);
    EXPECT_EQ(60u, avi.length);
    EXPECT_EQ(5u, avi.rate / avi.scale);
    EXPECT_EQ(0u, avi.rate % avi.scale);
    EXPECT_EQ(64u, avi.width);
    EXPECT_EQ(48u, avi.height);
    EXPECT_EQ(8, avi.bitCount);
    ASSERT_EQ(256u, avi.palette.size());
    ASSERT_EQ(60u, avi.indexFrames.size());
    ASSERT_EQ(avi.movieFrames, avi.indexFrames);
    for (uint32_t i = 0; i < 60; ++i) {
        // Frame i as the recording holds it: rows come bottom to top in the file.
        std::vector<uint8_t> expected =
            Picture(streamParams, streamParams.beginTime * 1000 + i * 1000 / streamParams.fps);
        const std::vector<uint8_t>& frame = avi.indexFrames[i];
        ASSERT_EQ(64u * 48u, frame.size());
        int bad = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x)
                if (avi.palette[frame[(47 - y) * 64 + x]] != PaletteColor(expected[y * 64 + x])) ++bad;
        EXPECT_EQ(0, bad) << "frame " << i;
    }
}

TEST_F(PlayPortTest, EndFileWriteWritesEverythingTheBufferStillHolds) {
    CQvPlayLibrary& q = Lib();
    TempDir dir;
    const StreamParams streamParams = Params(2, 16, 8, 4, 5);  // 20 pictures
    std::vector<uint8_t> stream = BuildStream(streamParams);
    // The header comes with the open, as a file's head.
    ASSERT_TRUE(q.SetPortStreamKind(65, QVPLAY_STREAM_FILE));
    ASSERT_TRUE(q.OpenPortStream(65, stream.data(), kStreamHeaderSize, kConversionBuffer));
    ASSERT_TRUE(q.BeginFileWrite(65, Narrow(dir.File(L"flush.avi")).c_str(), QVPLAY_FILE_AVI));
    ASSERT_TRUE(q.FeedPortData(65, &stream[kStreamHeaderSize], static_cast<DWORD>(stream.size() - kStreamHeaderSize)));
    EXPECT_TRUE(q.EndFileWrite(65));  // never played: all of it is still buffered
    EXPECT_FALSE(q.EndFileWrite(65));
    EXPECT_TRUE(q.ClosePortStream(65));
    AviContents avi;
    std::string error;
    ASSERT_TRUE(ReadAviFile(ReadWholeFile(dir.File(L"flush.avi")), avi, error)) << error;
    EXPECT_EQ(20u, avi.totalFrames);
    EXPECT_EQ(20u, avi.indexFrames.size());
}

TEST_F(PlayPortTest, ADrainedPortHasNothingPendingEvenWithACutPictureLeft) {
    CQvPlayLibrary& q = Lib();
    const StreamParams streamParams = Params(9, 16, 8, 10, 2);
    std::vector<uint8_t> stream = BuildStream(streamParams);
    stream.resize(stream.size() - 50);  // the last picture is cut
    Port port(66, QVPLAY_STREAM_FILE, kConversionBuffer);
    ASSERT_TRUE(q.StartPortPlay(port, nullptr));
    ASSERT_TRUE(FeedAll(port, stream));
    EXPECT_TRUE(WaitFor(
        [&] { return q.QueryPendingData(port) == 0 && q.QueryBufferedAmount(port, QVPLAY_BUFFERED_FRAMES) == 0; }));
    EXPECT_EQ(19, Shown(port));
    EXPECT_EQ(FrameSize(streamParams) - 50, q.QueryBufferedAmount(port, QVPLAY_BUFFERED_INPUT_BYTES));
}

TEST_F(PlayPortTest, PortsStayCorrectUnderCallsFromManyThreadsAtOnce) {
    CQvPlayLibrary& q = Lib();
    TempDir dir;
    const int kPorts = 4;
    std::vector<StreamParams> streamParamsList;
    std::vector<std::unique_ptr<Port>> ports;
    for (int i = 0; i < kPorts; ++i) {
        streamParamsList.push_back(Params(20 + i, static_cast<uint16_t>(24 + 8 * i), 16, 10, 6));  // 60 pictures each
        ports.push_back(std::make_unique<Port>(70 + i, QVPLAY_STREAM_FILE, 8192));
        std::string path = Narrow(dir.File(L"conv" + std::to_wstring(i) + L".avi"));
        ASSERT_TRUE(q.BeginFileWrite(70 + i, path.c_str(), QVPLAY_FILE_AVI));
        ASSERT_TRUE(q.StartPortPlay(70 + i, nullptr));
    }
    std::atomic<bool> feeding{true};
    std::vector<std::thread> threads;
    std::atomic<int> fedOk{0};
    for (int i = 0; i < kPorts; ++i)
        threads.emplace_back([&, i] {
            // Odd pieces, so every picture is split in a different place.
            std::vector<uint8_t> stream = BuildStream(streamParamsList[i]);
            for (size_t at = 0; at < stream.size();) {
                DWORD n = static_cast<DWORD>(std::min<size_t>(777 + i * 13, stream.size() - at));
                if (q.FeedPortData(70 + i, &stream[at], n))
                    at += n;
                else
                    Sleep(0);
            }
            ++fedOk;
        });
    // Meddlers: queries, pauses, speed steps, sound and bad ports, all the while.
    for (int m = 0; m < 3; ++m)
        threads.emplace_back([&, m] {
            BYTE buf[24];
            DWORD returned;
            LONG w, h;
            unsigned n = 0;
            while (feeding) {
                LONG port = 70 + static_cast<LONG>(n++ % kPorts);
                q.QueryPendingData(port);
                q.QueryBufferedAmount(port, 1 + n % 3);
                q.QueryPictureDims(port, &w, &h);
                q.QueryPortTriple(port, 1, buf, 24, &returned);
                q.RedrawPort(port);
                if (m == 0) {
                    q.SetPortPaused(port, 1);
                    q.SetPortPaused(port, 0);
                } else if (m == 1) {
                    q.StepSpeedUp(port);
                    q.StepSpeedDown(port);
                    q.SoundOn(port);
                    q.SoundOff(-1);
                } else {
                    q.FeedPortData(-1, buf, 4);
                    q.FeedPortData(QVPLAY_MAX_PORTS, buf, 4);
                    q.ClosePortStream(-1);
                }
            }
        });
    EXPECT_TRUE(WaitFor([&] { return fedOk == kPorts; }, 60000));
    feeding = false;
    for (std::thread& t : threads) t.join();
    for (int i = 0; i < kPorts; ++i) {
        ASSERT_TRUE(q.SetPortPaused(70 + i, 0));
        ASSERT_TRUE(q.EndFileWrite(70 + i));
        AviContents avi;
        std::string error;
        ASSERT_TRUE(ReadAviFile(ReadWholeFile(dir.File(L"conv" + std::to_wstring(i) + L".avi")), avi, error)) << error;
        EXPECT_EQ(60u, avi.totalFrames) << "port " << 70 + i;
        EXPECT_EQ(24u + 8 * i, avi.width);
        ASSERT_EQ(60u, avi.indexFrames.size());
        std::vector<uint8_t> last = Picture(streamParamsList[i], streamParamsList[i].beginTime * 1000 + 59 * 100);
        EXPECT_EQ(PaletteColor(last[0]), avi.palette[avi.indexFrames[59][(16 - 1) * ((avi.width + 3) & ~3u)]]);
    }
}
