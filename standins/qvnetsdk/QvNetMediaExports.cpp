// The exports of qvnetsdk.dll: two-way talk, local audio, the LAN search and the test hooks.
// Each entry catches everything: no exception leaves the DLL, and a failure
// leaves its code for QVNET_LastErrorCode.
#define QVNET_DECLARE_EXPORTS
#include "sdk/qvnetsdk/qvnetsdk.h"
#include "standins/qvnetsdk/QvNetTestExports.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "standins/qvnetsdk/CSdkLocalAudio.h"
#include "standins/qvnetsdk/CSdkSearch.h"
#include "standins/qvnetsdk/CSdkTalk.h"
#include "standins/qvnetsdk/CSdkFileWriter.h"
#include "standins/qvnetsdk/CSdkTransfer.h"
#include "standins/qvnetsdk/SdkExportSupport.h"

using namespace qvwire;
using namespace sdkexport;

extern "C" {

int32_t QVNET_CALL QVNET_SetTalkEncoding(int32_t loginHandle, int32_t kind, const void* format) {
    try {
        if (!format) return Fail(QVNET_ERR_INVALID_PARAM);
        return SetValue(loginHandle, kSetTalkEncoding, static_cast<uint32_t>(kind), format, 76);
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_OpenTalk(int32_t loginHandle, QVNET_TalkCallback onAudio, QVNET_USER user) {
    try {
        uint32_t error = 0;
        std::shared_ptr<CSdkSession> session = SessionOf(loginHandle, error);
        if (!session) return Fail(error);
        const uint32_t args[4] = {kTalkOpen, 0, 0, 0};
        SdkReply reply = session->Call(kCmdTalk, args, WaitOf(0));
        if (reply.error) return Fail(reply.error);
        auto talk = std::make_shared<CSdkTalk>(session, reply.header.args[0], onAudio, user);
        const int32_t handle = Core().Register(talk);
        if (!handle) {
            talk->Shutdown();
            return Fail(QVNET_ERR_NOT_INIT);
        }
        return Done(handle);
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_SendTalkAudio(int32_t talkHandle, const char* buffer, int32_t length) {
    try {
        if (!buffer || length <= 0 || static_cast<size_t>(length) > kMaxBody) {
            Fail(QVNET_ERR_INVALID_PARAM);
            return -1;
        }
        uint32_t error = 0;
        std::shared_ptr<CSdkTalk> talk = ObjectOf<CSdkTalk>(talkHandle, error);
        if (talk) error = talk->Send(reinterpret_cast<const uint8_t*>(buffer), static_cast<size_t>(length));
        if (error) {
            Fail(error);
            return -1;
        }
        return Done(length);
    }
    QVNET_GUARD(-1)
}

int32_t QVNET_CALL QVNET_CloseTalk(int32_t talkHandle) {
    try {
        if (!Core().IsInitialised()) return Fail(QVNET_ERR_NOT_INIT);
        std::shared_ptr<CSdkTalk> talk = Core().Remove<CSdkTalk>(talkHandle);
        if (!talk) return Fail(QVNET_ERR_INVALID_HANDLE);
        talk->Shutdown();
        return Done();
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_StartLocalAudio(void) {
    try {
        if (!Core().IsInitialised()) return Fail(QVNET_ERR_NOT_INIT);
        const uint32_t error = CSdkLocalAudio::Get().Start();
        return error ? Fail(error) : Done();
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_StopLocalAudio(void) {
    try {
        CSdkLocalAudio::Get().Stop();
        return Done();
    }
    QVNET_GUARD(0)
}

void QVNET_CALL QVNET_PlayDeviceAudio(const char* buffer, int32_t length) {
    try {
        if (buffer && length > 0)
            CSdkLocalAudio::Get().Play(reinterpret_cast<const uint8_t*>(buffer), static_cast<size_t>(length));
    } catch (...) {}
}

int32_t QVNET_CALL QVNET_TestUseSyntheticAudio(int32_t on) {
    try {
        CSdkLocalAudio::Get().SetSynthetic(on != 0);
        return Done();
    }
    QVNET_GUARD(0)
}

// Downloads' file writes fail once a file would hold more than keptKB KiB,
// as on a full disk; below 0 lifts the fault.
int32_t QVNET_CALL QVNET_TestFailFileWrites(int32_t keptKB) {
    try {
        CSdkFileWriter::FailWritesBeyond(keptKB < 0 ? -1 : static_cast<int64_t>(keptKB) * 1024);
        return Done();
    }
    QVNET_GUARD(0)
}

// A failed download reports QVNET_EVENT_FETCH_FAILED and keeps its session
// while on is non-zero.
int32_t QVNET_CALL QVNET_TestKeepSessionOnFetchFailure(int32_t on) {
    try {
        CSdkTransfer::KeepSessionOnFailure(on != 0);
        return Done();
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_StartDeviceSearch(QVNET_SearchCallback onFound, QVNET_USER user, int32_t reserved) {
    try {
        if (!Core().IsInitialised()) return Fail(QVNET_ERR_NOT_INIT);
        if (!onFound) return Fail(QVNET_ERR_INVALID_PARAM);
        std::string ip;
        int32_t port = 0;
        Core().SearchTarget(ip, port);
        std::shared_ptr<CSdkSearch> search = std::make_shared<CSdkSearch>(onFound, user);
        if (!search->Open(ip, port)) return Fail(QVNET_ERR_NETWORK);
        const int32_t handle = Core().Register(search);
        if (!handle) return Fail(QVNET_ERR_NOT_INIT);
        search->Start();
        return Done(handle);
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_StopDeviceSearch(int32_t searchHandle) {
    try {
        if (!Core().IsInitialised()) return Fail(QVNET_ERR_NOT_INIT);
        std::shared_ptr<CSdkSearch> search = Core().Remove<CSdkSearch>(searchHandle);
        if (!search) return Fail(QVNET_ERR_INVALID_HANDLE);
        search->Shutdown();
        return Done();
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_TestSetSearchTarget(const char* ip, int32_t port) {
    try {
        if (!ip || port <= 0 || port > 65535) return Fail(QVNET_ERR_INVALID_PARAM);
        Core().SetSearchTarget(ip, port);
        return Done();
    }
    QVNET_GUARD(0)
}

int32_t QVNET_CALL QVNET_TestGetCounters(QVNET_TEST_COUNTERS* counters) {
    try {
        if (!counters) return Fail(QVNET_ERR_INVALID_PARAM);
        Core().GetCounters(*counters);
        return Done();
    }
    QVNET_GUARD(0)
}

}  // extern "C"
