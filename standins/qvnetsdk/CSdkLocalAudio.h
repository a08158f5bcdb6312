// The PC's side of two-way talk: captures the microphone in 40 ms blocks
// and hands each block to every open talk, and plays what devices send back.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <list>
#include <memory>
#include <vector>

#include "common/CAutoLock.h"

class CSdkLocalAudio {
public:
    static CSdkLocalAudio& Get();

    // QVNET_ERR_NONE when capture runs (or already ran), QVNET_ERR_NO_AUDIO
    // when there is no capture device.
    uint32_t Start();
    // Stops capture without waiting for the capture thread, which may be
    // inside a caller's callback.
    void Stop();
    // Queues audio for the speakers; dropped when there is no output device.
    void Play(const uint8_t* data, size_t length);
    // Tests: a generated tone stands in for the microphone, and the
    // speakers stay silent.
    void SetSynthetic(bool on) { m_synthetic = on; }

private:
    CSdkLocalAudio() = default;
    static void CaptureLoop(HWAVEIN device, std::shared_ptr<std::atomic<bool>> stop);
    static void DeliverToTalks(const uint8_t* data, size_t length);

    CLock m_lock;
    std::shared_ptr<std::atomic<bool>> m_stop;
    std::atomic<bool> m_synthetic{false};
    HWAVEOUT m_output = nullptr;
    bool m_outputFailed = false;
    std::list<std::pair<WAVEHDR, std::vector<char>>> m_playing;
};
