#include "standins/qvnetsdk/CSdkLocalAudio.h"

#include "standins/qvnetsdk/CSdkCore.h"
#include "standins/qvnetsdk/CSdkTalk.h"

namespace {

const DWORD kBlockMs = 40;
const size_t kBlockBytes = 8000 * 2 * kBlockMs / 1000;  // 8 kHz, 16 bit, mono
const int kCaptureBuffers = 4;

WAVEFORMATEX TalkFormat() {
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = 8000;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 2;
    format.nAvgBytesPerSec = 16000;
    return format;
}

}  // namespace

CSdkLocalAudio& CSdkLocalAudio::Get() {
    static CSdkLocalAudio* audio = new CSdkLocalAudio;
    return *audio;
}

uint32_t CSdkLocalAudio::Start() {
    CAutoLock lock(&m_lock);
    if (m_stop && !*m_stop) return QVNET_ERR_NONE;
    HWAVEIN device = nullptr;
    WAVEFORMATEX format = TalkFormat();
    if (!m_synthetic && waveInOpen(&device, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
        return QVNET_ERR_NO_AUDIO;
    }
    m_stop = std::make_shared<std::atomic<bool>>(false);
    std::shared_ptr<std::atomic<bool>> stop = m_stop;
    CSdkCore::Get().StartThread([device, stop] { CaptureLoop(device, stop); });
    return QVNET_ERR_NONE;
}

void CSdkLocalAudio::Stop() {
    CAutoLock lock(&m_lock);
    if (m_stop) *m_stop = true;
    m_stop.reset();
}

void CSdkLocalAudio::DeliverToTalks(const uint8_t* data, size_t length) {
    for (const std::shared_ptr<CSdkTalk>& talk : CSdkCore::Get().All<CSdkTalk>()) talk->DeliverLocal(data, length);
}

void CSdkLocalAudio::CaptureLoop(HWAVEIN device, std::shared_ptr<std::atomic<bool>> stop) {
    if (!device) {
        // No microphone: a 500 Hz square wave in blocks of the same size and pace.
        std::vector<uint8_t> block(kBlockBytes);
        for (size_t i = 0; i < block.size(); i += 2) {
            const int16_t sample = (i / 2) % 16 < 8 ? 4000 : -4000;
            block[i] = static_cast<uint8_t>(sample);
            block[i + 1] = static_cast<uint8_t>(sample >> 8);
        }
        while (!*stop) {
            DeliverToTalks(block.data(), block.size());
            Sleep(kBlockMs);
        }
        return;
    }
    std::vector<char> memory(kBlockBytes * kCaptureBuffers);
    WAVEHDR headers[kCaptureBuffers] = {};
    for (int i = 0; i < kCaptureBuffers; ++i) {
        headers[i].lpData = &memory[i * kBlockBytes];
        headers[i].dwBufferLength = kBlockBytes;
        waveInPrepareHeader(device, &headers[i], sizeof(WAVEHDR));
        waveInAddBuffer(device, &headers[i], sizeof(WAVEHDR));
    }
    waveInStart(device);
    while (!*stop) {
        bool any = false;
        for (WAVEHDR& header : headers) {
            if (!(header.dwFlags & WHDR_DONE)) continue;
            any = true;
            DeliverToTalks(reinterpret_cast<const uint8_t*>(header.lpData), header.dwBytesRecorded);
            header.dwFlags &= ~WHDR_DONE;
            waveInAddBuffer(device, &header, sizeof(WAVEHDR));
        }
        if (!any) Sleep(10);
    }
    waveInReset(device);
    for (WAVEHDR& header : headers) waveInUnprepareHeader(device, &header, sizeof(WAVEHDR));
    waveInClose(device);
}

void CSdkLocalAudio::Play(const uint8_t* data, size_t length) {
    CAutoLock lock(&m_lock);
    if (!data || length == 0 || m_outputFailed || m_synthetic) return;
    if (!m_output) {
        WAVEFORMATEX format = TalkFormat();
        if (waveOutOpen(&m_output, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
            m_output = nullptr;
            m_outputFailed = true;
            return;
        }
    }
    for (auto it = m_playing.begin(); it != m_playing.end();) {
        if (it->first.dwFlags & WHDR_DONE) {
            waveOutUnprepareHeader(m_output, &it->first, sizeof(WAVEHDR));
            it = m_playing.erase(it);
        } else {
            ++it;
        }
    }
    m_playing.emplace_back();
    auto& entry = m_playing.back();
    entry.second.assign(reinterpret_cast<const char*>(data), reinterpret_cast<const char*>(data) + length);
    entry.first = WAVEHDR();
    entry.first.lpData = entry.second.data();
    entry.first.dwBufferLength = static_cast<DWORD>(length);
    if (waveOutPrepareHeader(m_output, &entry.first, sizeof(WAVEHDR)) != MMSYSERR_NOERROR ||
        waveOutWrite(m_output, &entry.first, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
        m_playing.pop_back();
    }
}
