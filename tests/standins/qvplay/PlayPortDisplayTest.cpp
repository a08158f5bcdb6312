// Playing into a window: pace, pause, speed, the picture shown, its
// options, capture and the display callback.
#include "PlayPortFixture.h"

TEST_F(PlayPortTest, PauseStopsDrainingAndResumeDrainsAgain) {
    CQvPlayLibrary& q = Lib();
    const StreamParams streamParams = Params(1, 16, 12, 25, 20);
    std::vector<uint8_t> stream = BuildStream(streamParams);
    Port port(10, QVPLAY_STREAM_REALTIME, 8192);
    ASSERT_TRUE(q.SetPortValueA(port, 1));
    ASSERT_TRUE(q.StartPortPlay(port, nullptr));
    ASSERT_TRUE(q.SetPortPaused(port, 1));
    size_t taken = 0;
    while (q.FeedPortData(port, &stream[taken], 1024)) taken += 1024;
    EXPECT_EQ(8192u, taken);
    EXPECT_EQ(8192u, q.QueryPendingData(port));
    EXPECT_FALSE(WaitFor([&] { return q.QueryBufferedAmount(port, QVPLAY_BUFFERED_FREE_BYTES) > 0; }, 300))
        << "a paused port drained";
    EXPECT_EQ(0, Shown(port));

    ASSERT_TRUE(q.SetPortPaused(port, 0));
    EXPECT_TRUE(WaitFor([&] { return q.FeedPortData(port, &stream[taken], 1024) != 0; }));
    EXPECT_TRUE(WaitFor([&] { return Shown(port) > 0; }));
}

TEST_F(PlayPortTest, SpeedStepsChangeThePace) {
    CQvPlayLibrary& q = Lib();
    const StreamParams streamParams = Params(4, 16, 12, 20, 8);  // a picture every 50 ms
    ShownLog log;
    auto shownCount = [&] {
        std::lock_guard<std::mutex> g(log.lock);
        return log.at.size();
    };
    Port port(11, QVPLAY_STREAM_REALTIME, kDisplayBuffer);
    ASSERT_TRUE(q.SetViewCallback(port, &ShownLog::Callback, reinterpret_cast<LONG_PTR>(&log)));
    ASSERT_TRUE(FeedAll(port, BuildStream(streamParams)));
    ASSERT_TRUE(q.StartPortPlay(port, nullptr));
    ASSERT_TRUE(WaitFor([&] { return shownCount() >= 10; }));
    ASSERT_TRUE(q.StepSpeedUp(port));
    ASSERT_TRUE(q.StepSpeedUp(port));  // four times as fast
    ASSERT_TRUE(WaitFor([&] { return shownCount() >= 40; }));
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(q.StepSpeedDown(port));  // half speed
    ASSERT_TRUE(WaitFor([&] { return shownCount() >= 50; }));
    ASSERT_TRUE(q.StopPortPlay(port));

    auto median = [&](size_t from, size_t to) {
        std::vector<double> gaps;
        for (size_t i = from + 1; i < to; ++i) gaps.push_back(log.at[i] - log.at[i - 1]);
        std::sort(gaps.begin(), gaps.end());
        return gaps[gaps.size() / 2];
    };
    double normal = median(1, 10), fast = median(20, 38), slow = median(44, 50);
    EXPECT_GT(normal, 35.0);
    EXPECT_LT(normal, 80.0);
    EXPECT_LT(fast, normal / 2);
    EXPECT_GT(slow, normal * 1.5);
}

TEST_F(PlayPortTest, DisplayPaintsTheRecordingsPictureForItsTimeIntoTheWindow) {
    CQvPlayLibrary& q = Lib();
    const StreamParams streamParams = Params(5, 40, 30, 10, 6);
    TestWindow window(20, 20, 160, 120);  // four times the picture
    ASSERT_TRUE(window.Handle());
    Port port(0, QVPLAY_STREAM_REALTIME, kDisplayBuffer);
    ASSERT_TRUE(q.StartPortPlay(port, window.Handle()));
    ASSERT_TRUE(FeedAll(port, BuildStream(streamParams)));
    ASSERT_TRUE(WaitFor([&] { return Shown(port) >= 12; }));
    ASSERT_TRUE(q.SetPortPaused(port, 1));
    std::vector<LONG> state = PlayState(port);
    EXPECT_EQ((std::vector<LONG>{40, 30, 10}), std::vector<LONG>(state.begin(), state.begin() + 3));
    // Pictures follow the recording's own clock: 12 or more shown at 10 per second.
    EXPECT_GE(state[5], streamParams.beginTime + 1);
    EXPECT_EQ(state[5] - streamParams.beginTime, state[4]);
    LONG w = 0, h = 0;
    ASSERT_TRUE(q.QueryPictureDims(port, &w, &h));
    EXPECT_EQ(40, w);
    EXPECT_EQ(30, h);

    std::vector<uint8_t> expected = Picture(streamParams, static_cast<int64_t>(state[5]) * 1000);
    ASSERT_TRUE(q.RedrawPort(port));
    int ww, wh;
    std::vector<uint32_t> shown = window.Capture(ww, wh);
    ASSERT_EQ(160, ww);
    EXPECT_EQ(0, Mismatches(shown, ww, expected, RECT{0, 0, 40, 30}, 40, 4, 0, 0));

    // Region 0 shows only the lower right quarter, across the whole window.
    RECT quarter = {20, 15, 40, 30};
    ASSERT_TRUE(q.SetViewRegion(port, 0, &quarter, nullptr, TRUE));
    ASSERT_TRUE(q.RedrawPort(port));
    shown = window.Capture(ww, wh);
    EXPECT_EQ(0, Mismatches(shown, ww, expected, quarter, 40, 8, 0, 0));

    // Removing the region (as clearing the display does) shows all of it again.
    RECT dot = {1, 1, 1, 1};
    ASSERT_TRUE(q.SetViewRegion(port, 0, &dot, nullptr, FALSE));
    ASSERT_TRUE(q.RepaintPort(port));
    shown = window.Capture(ww, wh);
    EXPECT_EQ(0, Mismatches(shown, ww, expected, RECT{0, 0, 40, 30}, 40, 4, 0, 0));

    // A region in window coordinates (callers set one before scaling it) is
    // taken and cut to the picture.
    RECT client = {0, 0, 160, 120};
    ASSERT_TRUE(q.SetViewRegion(port, 0, &client, window.Handle(), TRUE));
    ASSERT_TRUE(q.RedrawPort(port));
    shown = window.Capture(ww, wh);
    EXPECT_EQ(0, Mismatches(shown, ww, expected, RECT{0, 0, 40, 30}, 40, 4, 0, 0));

    // A further region shows its part in a window of its own.
    TestWindow second(20, 200, 80, 60);
    ASSERT_TRUE(second.Handle());
    RECT topLeft = {0, 0, 20, 15};
    ASSERT_TRUE(q.SetViewRegion(port, 1, &topLeft, second.Handle(), TRUE));
    ASSERT_TRUE(q.RedrawPort(port));
    int sw, sh;
    std::vector<uint32_t> extra = second.Capture(sw, sh);
    EXPECT_EQ(0, Mismatches(extra, sw, expected, topLeft, 40, 4, 0, 0));
    ASSERT_TRUE(q.SetViewRegion(port, 1, nullptr, nullptr, FALSE));
}

TEST_F(PlayPortTest, DisplayOptionsShapeThePicture) {
    CQvPlayLibrary& q = Lib();
    const StreamParams streamParams = Params(6, 40, 30, 10, 3);
    TestWindow window(200, 20, 200, 60);  // wider than the picture's shape
    ASSERT_TRUE(window.Handle());
    Port port(1, QVPLAY_STREAM_REALTIME, kDisplayBuffer);
    ASSERT_TRUE(q.StartPortPlay(port, window.Handle()));
    ASSERT_TRUE(FeedAll(port, BuildStream(streamParams)));
    ASSERT_TRUE(WaitFor([&] { return Shown(port) >= 1; }));
    ASSERT_TRUE(q.SetPortPaused(port, 1));
    std::vector<uint8_t> expected = Picture(streamParams, static_cast<int64_t>(PlayState(port)[5]) * 1000);
    int ww, wh;

    // Keeping the shape: 80 x 60 in the middle, black bars beside it.
    ASSERT_TRUE(q.SetPortValueB(port, QVPLAY_SCALE_KEEP_ASPECT));
    ASSERT_TRUE(q.RedrawPort(port));
    std::vector<uint32_t> shown = window.Capture(ww, wh);
    EXPECT_EQ(0, Mismatches(shown, ww, expected, RECT{0, 0, 40, 30}, 40, 2, 60, 0));
    EXPECT_EQ(0u, shown[30 * ww + 10]);
    EXPECT_EQ(0u, shown[30 * ww + 190]);

    // Margins of 20 and 10 leave 160 x 40 for the picture (53 x 40 kept in shape);
    // the margins stay black.
    ASSERT_TRUE(q.SetPortQuadB(port, 0, 20, 10, 20, 10));
    ASSERT_TRUE(q.RedrawPort(port));
    shown = window.Capture(ww, wh);
    EXPECT_EQ(0u, shown[5 * ww + 100]);
    EXPECT_EQ(0u, shown[55 * ww + 100]);
    ASSERT_TRUE(q.SetPortQuadB(port, 0, 0, 0, 0, 0));

    // Full brightness lifts every grey; stretching fills the window again.
    ASSERT_TRUE(q.SetPortValueB(port, QVPLAY_SCALE_STRETCH));
    ASSERT_TRUE(q.SetPortQuadA(port, 0, QVPLAY_ADJUST_MAX, 64, 64, 64));
    ASSERT_TRUE(q.RedrawPort(port));
    shown = window.Capture(ww, wh);
    uint32_t normal = PaletteColor(expected[0]);
    uint32_t brighter = shown[2 * ww + 2];
    EXPECT_EQ(std::min(255u, (normal & 0xFF) + 128), brighter & 0xFF);
}

TEST_F(PlayPortTest, CapturesTheShownPictureAsABmpOfItsSize) {
    CQvPlayLibrary& q = Lib();
    TempDir dir;
    const StreamParams streamParams = Params(8, 36, 20, 5, 4);
    Port port(2, QVPLAY_STREAM_REALTIME, kDisplayBuffer);
    ASSERT_TRUE(q.StartPortPlay(port, nullptr));
    ASSERT_TRUE(FeedAll(port, BuildStream(streamParams)));
    ASSERT_TRUE(WaitFor([&] { return Shown(port) >= 6; }));
    ASSERT_TRUE(q.SetPortPaused(port, 1));
    std::vector<uint8_t> expected = Picture(streamParams, static_cast<int64_t>(PlayState(port)[5]) * 1000);
    ASSERT_TRUE(q.SavePicture(port, Narrow(dir.File(L"shot.bmp")).c_str()));
    EXPECT_FALSE(q.SavePicture(port, Narrow(dir.File(L"no\\dir\\shot.bmp")).c_str()));

    BmpContents bmp;
    std::string error;
    ASSERT_TRUE(ReadBmpFile(ReadWholeFile(dir.File(L"shot.bmp")), bmp, error)) << error;
    EXPECT_EQ(36, bmp.width);
    EXPECT_EQ(20, bmp.height);
    int bad = 0;
    for (size_t i = 0; i < expected.size(); ++i)
        if (bmp.pixels[i] != PaletteColor(expected[i])) ++bad;
    EXPECT_EQ(0, bad);
}

TEST_F(PlayPortTest, TheDisplayCallbackCannotStopItsOwnPortButAnotherThreadCanClose) {
    CQvPlayLibrary& q = Lib();
    s_stopResult = -1;
    s_calls = 0;
    Port port(12, QVPLAY_STREAM_REALTIME, kDisplayBuffer);
    ASSERT_TRUE(q.SetViewCallback(port, &StopFromCallback, 77));
    ASSERT_TRUE(q.StartPortPlay(port, nullptr));
    ASSERT_TRUE(FeedAll(port, BuildStream(Params(3, 16, 8, 25, 4))));
    ASSERT_TRUE(WaitFor([] { return s_calls >= 3; }));
    EXPECT_EQ(0, s_stopResult.load());
    std::thread closer([&] { EXPECT_TRUE(q.StopPortPlay(port)); });
    closer.join();
}
