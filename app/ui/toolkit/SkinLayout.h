// The layout of the two skinned windows (the play-control bar from play.ini,
// the main window from DivozoRivovid.ini), read from the skin directory the
// configuration chose. Values stay the texts of the files; image file names are
// already joined to the skin directory (also when empty).
#pragma once

#include <afx.h>

#include "app/core/CIniFile.h"

class CAppConfig;

// One skinned button: its place (l,t,r,b), visibility, tooltip key and the
// four state pictures cut out of the button image (rectangles as text).
struct SKIN_BUTTON_LAYOUT {
    CString strPosition;
    BOOL bVisible = FALSE;
    CString strTipText;
    CString strUp;
    CString strOver;
    CString strDown;
    CString strDisable;
};

struct SKIN_LAYOUT {
    // No key fills it: the play bar's button text is black.
    CString strButtonTextColor;

    // play.ini [MainSettings]
    CString strPlayBackImageUp;
    CString strPlayBackImageOver;
    CString strPlayBackImageDown;
    CString strPlayBackImageDisable;
    CString strPlayBackImage;
    CString strPlayButtonImage;
    CString strPlayWindowSize;
    BOOL bPlayUseMask = FALSE;
    CString strPlayMaskColor;
    // play.ini [Sliders]
    BOOL bStepLengthVisible = FALSE;
    CString strStepLengthPosition;
    CString strSliderImage;  // key "download"
    CString strSliderBackImageUp;
    CString strSliderBackImageOver;
    CString strSliderBackImageDown;
    CString strSliderBackImageDisable;
    // play.ini [MainButtons]; Head and Tail have no state pictures.
    SKIN_BUTTON_LAYOUT pause, start, stop, fast, slow, head, tail, openFile, playList;

    // DivozoRivovid.ini [MainSettings]
    CString strMainBackImage;
    CString strMainButtonImage;
    CString strMainWindowSize;
    BOOL bMainUseMask = FALSE;
    CString strMainMaskColor;
    // DivozoRivovid.ini [MainButtons]
    SKIN_BUTTON_LAYOUT downLoadStart, downLoadStop, manage, search, sysConfig, exit;
};

// Reads both files into the record in the files' order; missing keys give ""
// (and FALSE), except StepLength_Position, "0,0,0,0".
void ReadSkinLayout(const CIniFile& playIni, const CIniFile& mainWndIni, const CString& skinDir, SKIN_LAYOUT* layout);
// The same from the configuration's two skin layout files.
SKIN_LAYOUT ReadSkinLayout(const CAppConfig& config);
