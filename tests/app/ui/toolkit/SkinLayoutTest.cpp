#include "app/ui/toolkit/SkinLayout.h"

#include <gtest/gtest.h>

#include "TempDir.h"
#include "app/core/CAppConfig.h"
#include "app/core/CInitLanguage.h"

namespace {

const char kPlayIni[] =
    "[MainSettings]\r\nBackImage_Up=bu.bmp\r\nBackImage=play.bmp\r\nButtonImage=buttons.bmp\r\n"
    "MainWindow_Size=640,48\r\nIsUseMask=1\r\nMaskColor=255,0,255\r\n"
    "[Sliders]\r\nStepLength_IsVisible=1\r\nStepLength_Position=10,5,300,20\r\ndownload=slider.bmp\r\n"
    "BackImage_Disable=sd.bmp\r\n"
    "[MainButtons]\r\nPause_Position=1,2,3,4\r\nPause_IsVisible=1\r\nPause_TipText=Pause\r\nPause_Up=0,0,20,20\r\n"
    "Pause_Disable=60,0,80,20\r\nHead_IsVisible=2\r\nHead_TipText=First\r\nHead_Up=9,9,9,9\r\n"
    "PlayList_Over=20,0,40,20\r\n";
const char kMainWndIni[] =
    "[MainSettings]\r\nBackImage=main.bmp\r\nMainWindow_Size=800,600\r\nIsUseMask=0\r\nMaskColor=1,2,3\r\n"
    "[MainButtons]\r\nExit_Position=700,10,760,40\r\nExit_IsVisible=1\r\nExit_TipText=Exit\r\n"
    "SysConfig_Down=40,0,60,20\r\nDownLoadStop_IsVisible=1\r\n";

}  // namespace

TEST(SkinLayoutTest, KeysOfBothFiles) {
    TempDir dir;
    const CString skin = (dir.Path() + L"\\skin\\").c_str();
    CreateDirectoryW(skin, nullptr);
    ASSERT_TRUE(WriteWholeFile(dir.File(L"skin\\play.ini"), kPlayIni));
    ASSERT_TRUE(WriteWholeFile(dir.File(L"skin\\DivozoRivovid.ini"), kMainWndIni));
    SKIN_LAYOUT layout;
    ReadSkinLayout(CIniFile(skin + L"play.ini"), CIniFile(skin + L"DivozoRivovid.ini"), skin, &layout);
    const struct {
        const CString& value;
        CString expected;
    } texts[] = {
        {layout.strPlayBackImageUp, skin + L"bu.bmp"},
        {layout.strPlayBackImageOver, skin},  // empty names still get the directory
        {layout.strPlayBackImage, skin + L"play.bmp"},
        {layout.strPlayButtonImage, skin + L"buttons.bmp"},
        {layout.strPlayWindowSize, L"640,48"},
        {layout.strPlayMaskColor, L"255,0,255"},  // asked for as "MaskColor "
        {layout.strStepLengthPosition, L"10,5,300,20"},
        {layout.strSliderImage, skin + L"slider.bmp"},
        {layout.strSliderBackImageDisable, skin + L"sd.bmp"},
        {layout.pause.strPosition, L"1,2,3,4"},
        {layout.pause.strTipText, L"Pause"},
        {layout.pause.strUp, L"0,0,20,20"},  // state pictures are rectangles, not files
        {layout.pause.strDisable, L"60,0,80,20"},
        {layout.head.strTipText, L"First"},
        {layout.head.strUp, L""},  // Head has no state pictures
        {layout.playList.strOver, L"20,0,40,20"},
        {layout.strButtonTextColor, L""},
        {layout.strMainBackImage, skin + L"main.bmp"},
        {layout.strMainWindowSize, L"800,600"},
        {layout.strMainMaskColor, L"1,2,3"},
        {layout.exit.strPosition, L"700,10,760,40"},
        {layout.sysConfig.strDown, L"40,0,60,20"},
    };
    for (const auto& t : texts) EXPECT_STREQ(t.expected, t.value);
    EXPECT_TRUE(layout.bPlayUseMask);
    EXPECT_TRUE(layout.bStepLengthVisible);
    EXPECT_TRUE(layout.pause.bVisible);
    EXPECT_FALSE(layout.head.bVisible);  // 2 is not true
    EXPECT_FALSE(layout.start.bVisible);
    EXPECT_FALSE(layout.bMainUseMask);
    EXPECT_TRUE(layout.exit.bVisible);  // asked for as "Exit_IsVisible "
    EXPECT_TRUE(layout.downLoadStop.bVisible);
    EXPECT_FALSE(layout.downLoadStart.bVisible);
}

TEST(SkinLayoutTest, ConfigurationWithoutLayoutFiles) {
    TempDir dir;
    const CString programDir = (dir.Path() + L"\\").c_str();
    ASSERT_TRUE(WritePrivateProfileStringW(L"Language", L"LanguageCount", L"1", programDir + L"VAD_Config.ini"));
    ASSERT_TRUE(WritePrivateProfileStringW(L"Language", L"SkinFileDir1", L"Skin", programDir + L"VAD_Config.ini"));
    CAppConfig config(programDir);
    const SKIN_LAYOUT layout = ReadSkinLayout(config);
    for (const SKIN_BUTTON_LAYOUT* button : {&layout.pause, &layout.start, &layout.stop, &layout.fast, &layout.slow,
                                             &layout.head, &layout.tail, &layout.openFile, &layout.playList})
        EXPECT_FALSE(button->bVisible);
    EXPECT_STREQ(L"0,0,0,0", layout.strStepLengthPosition);
    EXPECT_STREQ(programDir + L"Skin\\", layout.strPlayBackImage);
    EXPECT_STREQ(programDir + L"Skin\\", layout.strMainButtonImage);
    EXPECT_STREQ(L"", layout.strButtonTextColor);
    DeleteInitLanguage();
}
