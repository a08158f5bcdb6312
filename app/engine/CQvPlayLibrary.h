// Loads qvplay.dll and binds every operation by ordinal, the way callers use
// the playback SDK. Owns the module: the destructor frees it.
#pragma once

#include <windows.h>

#include "common/UniqueHandle.h"
#include "sdk/qvplay/qvplay.h"

class CQvPlayLibrary {
public:
    CQvPlayLibrary() = default;
    ~CQvPlayLibrary();
    CQvPlayLibrary(const CQvPlayLibrary&) = delete;
    CQvPlayLibrary& operator=(const CQvPlayLibrary&) = delete;

    // Loads the library (by name through the DLL search path, or a full
    // path) and binds all operations. True when every ordinal was found;
    // otherwise nothing stays loaded and every pointer is null.
    bool Load(const wchar_t* path = L"qvplay.dll");
    void Unload();
    bool IsLoaded() const { return m_module.IsValid(); }

    QVPLAY_StartPortPlay_Fn StartPortPlay = nullptr;
    QVPLAY_StopPortPlay_Fn StopPortPlay = nullptr;
    QVPLAY_SetPortPaused_Fn SetPortPaused = nullptr;
    QVPLAY_StepSpeedUp_Fn StepSpeedUp = nullptr;
    QVPLAY_StepSpeedDown_Fn StepSpeedDown = nullptr;
    QVPLAY_OpenPortStream_Fn OpenPortStream = nullptr;
    QVPLAY_FeedPortData_Fn FeedPortData = nullptr;
    QVPLAY_ClosePortStream_Fn ClosePortStream = nullptr;
    QVPLAY_SetPortStreamKind_Fn SetPortStreamKind = nullptr;
    QVPLAY_RedrawPort_Fn RedrawPort = nullptr;
    QVPLAY_QueryPictureDims_Fn QueryPictureDims = nullptr;
    QVPLAY_SetPortValueA_Fn SetPortValueA = nullptr;
    QVPLAY_SoundOn_Fn SoundOn = nullptr;
    QVPLAY_SoundOff_Fn SoundOff = nullptr;
    QVPLAY_QueryPendingData_Fn QueryPendingData = nullptr;
    QVPLAY_RepaintPort_Fn RepaintPort = nullptr;
    QVPLAY_SetViewRegion_Fn SetViewRegion = nullptr;
    QVPLAY_SetViewCallback_Fn SetViewCallback = nullptr;
    QVPLAY_QueryBufferedAmount_Fn QueryBufferedAmount = nullptr;
    QVPLAY_SetPortQuadA_Fn SetPortQuadA = nullptr;
    QVPLAY_SetPortQuadB_Fn SetPortQuadB = nullptr;
    QVPLAY_SavePicture_Fn SavePicture = nullptr;
    QVPLAY_BeginFileWrite_Fn BeginFileWrite = nullptr;
    QVPLAY_EndFileWrite_Fn EndFileWrite = nullptr;
    QVPLAY_SetPortValueB_Fn SetPortValueB = nullptr;
    QVPLAY_QueryPortTriple_Fn QueryPortTriple = nullptr;

private:
    template <typename Fn>
    bool Bind(Fn& slot, int ordinal);
    void ClearPointers();

    CUniqueModule m_module;
};
