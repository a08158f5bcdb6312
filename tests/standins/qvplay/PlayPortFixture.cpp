#include "PlayPortFixture.h"

CQvPlayLibrary& Lib() {
    static CQvPlayLibrary lib;
    if (!lib.IsLoaded()) lib.Load();
    return lib;
}

std::string Narrow(const std::wstring& w) {
    char buf[MAX_PATH * 2];
    int n = WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, buf, sizeof(buf), nullptr, nullptr);
    return n > 0 ? std::string(buf) : std::string();
}

StreamParams Params(uint32_t channel, uint16_t width, uint16_t height, uint16_t fps, int seconds) {
    StreamParams s;
    s.channel = channel;
    s.beginTime = 1700000000 + channel * 100;
    s.endTime = s.beginTime + seconds;
    s.fps = fps;
    s.width = width;
    s.height = height;
    return s;
}

std::vector<uint8_t> Picture(const StreamParams& streamParams, int64_t timestampMs) {
    std::vector<uint8_t> p(static_cast<size_t>(streamParams.width) * streamParams.height);
    RenderPicture(streamParams.channel, timestampMs, streamParams.width, streamParams.height, p.data());
    return p;
}

bool FeedAll(LONG port, const std::vector<uint8_t>& bytes, size_t piece) {
    for (size_t at = 0; at < bytes.size(); at += piece) {
        DWORD n = static_cast<DWORD>(std::min(piece, bytes.size() - at));
        if (Lib().FeedPortData(port, &bytes[at], n)) continue;
        if (!WaitFor([&] { return Lib().FeedPortData(port, &bytes[at], n) != 0; })) return false;
    }
    return true;
}

std::vector<LONG> PlayState(LONG port) {
    std::vector<LONG> v(6, -1);
    DWORD returned = 0;
    Lib().QueryPortTriple(port, QVPLAY_QUERY_PLAY_STATE, reinterpret_cast<BYTE*>(v.data()), 24, &returned);
    return v;
}

LONG Shown(LONG port) { return PlayState(port)[3]; }

int Mismatches(const std::vector<uint32_t>& window, int windowWidth, const std::vector<uint8_t>& picture,
               const RECT& part, int pictureWidth, int scale, int left, int top) {
    int bad = 0;
    for (int y = part.top; y < part.bottom; ++y)
        for (int x = part.left; x < part.right; ++x) {
            int wx = left + (x - part.left) * scale + scale / 2, wy = top + (y - part.top) * scale + scale / 2;
            if (window[wy * windowWidth + wx] != PaletteColor(picture[y * pictureWidth + x])) ++bad;
        }
    return bad;
}

std::atomic<int> s_stopResult{-1};

std::atomic<int> s_calls{0};

void __stdcall StopFromCallback(LONG port, const QVPLAY_FRAME* frame, LONG_PTR user) {
    if (frame->width != 16 || frame->stride != 64 || user != 77) return;
    if (s_calls++ == 0) s_stopResult = Lib().StopPortPlay(port);
}
