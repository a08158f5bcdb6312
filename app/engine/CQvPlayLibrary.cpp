#include "app/engine/CQvPlayLibrary.h"

CQvPlayLibrary::~CQvPlayLibrary() { Unload(); }

template <typename Fn>
bool CQvPlayLibrary::Bind(Fn& slot, int ordinal) {
    slot = reinterpret_cast<Fn>(GetProcAddress(m_module.Get(), MAKEINTRESOURCEA(ordinal)));
    return slot != nullptr;
}

bool CQvPlayLibrary::Load(const wchar_t* path) {
    Unload();
    m_module.Reset(LoadLibraryW(path));
    if (!m_module) return false;
    bool all = Bind(StartPortPlay, QVPLAY_ORD_StartPortPlay) & Bind(StopPortPlay, QVPLAY_ORD_StopPortPlay) &
               Bind(SetPortPaused, QVPLAY_ORD_SetPortPaused) & Bind(StepSpeedUp, QVPLAY_ORD_StepSpeedUp) &
               Bind(StepSpeedDown, QVPLAY_ORD_StepSpeedDown) & Bind(OpenPortStream, QVPLAY_ORD_OpenPortStream) &
               Bind(FeedPortData, QVPLAY_ORD_FeedPortData) & Bind(ClosePortStream, QVPLAY_ORD_ClosePortStream) &
               Bind(SetPortStreamKind, QVPLAY_ORD_SetPortStreamKind) & Bind(RedrawPort, QVPLAY_ORD_RedrawPort) &
               Bind(QueryPictureDims, QVPLAY_ORD_QueryPictureDims) & Bind(SetPortValueA, QVPLAY_ORD_SetPortValueA) &
               Bind(SoundOn, QVPLAY_ORD_SoundOn) & Bind(SoundOff, QVPLAY_ORD_SoundOff) &
               Bind(QueryPendingData, QVPLAY_ORD_QueryPendingData) & Bind(RepaintPort, QVPLAY_ORD_RepaintPort) &
               Bind(SetViewRegion, QVPLAY_ORD_SetViewRegion) & Bind(SetViewCallback, QVPLAY_ORD_SetViewCallback) &
               Bind(QueryBufferedAmount, QVPLAY_ORD_QueryBufferedAmount) & Bind(SetPortQuadA, QVPLAY_ORD_SetPortQuadA) &
               Bind(SetPortQuadB, QVPLAY_ORD_SetPortQuadB) & Bind(SavePicture, QVPLAY_ORD_SavePicture) &
               Bind(BeginFileWrite, QVPLAY_ORD_BeginFileWrite) & Bind(EndFileWrite, QVPLAY_ORD_EndFileWrite) &
               Bind(SetPortValueB, QVPLAY_ORD_SetPortValueB) & Bind(QueryPortTriple, QVPLAY_ORD_QueryPortTriple);
    if (!all) Unload();
    return all;
}

void CQvPlayLibrary::Unload() {
    m_module.Reset();
    ClearPointers();
}

void CQvPlayLibrary::ClearPointers() {
    StartPortPlay = nullptr;
    StopPortPlay = nullptr;
    SetPortPaused = nullptr;
    StepSpeedUp = nullptr;
    StepSpeedDown = nullptr;
    OpenPortStream = nullptr;
    FeedPortData = nullptr;
    ClosePortStream = nullptr;
    SetPortStreamKind = nullptr;
    RedrawPort = nullptr;
    QueryPictureDims = nullptr;
    SetPortValueA = nullptr;
    SoundOn = nullptr;
    SoundOff = nullptr;
    QueryPendingData = nullptr;
    RepaintPort = nullptr;
    SetViewRegion = nullptr;
    SetViewCallback = nullptr;
    QueryBufferedAmount = nullptr;
    SetPortQuadA = nullptr;
    SetPortQuadB = nullptr;
    SavePicture = nullptr;
    BeginFileWrite = nullptr;
    EndFileWrite = nullptr;
    SetPortValueB = nullptr;
    QueryPortTriple = nullptr;
}
