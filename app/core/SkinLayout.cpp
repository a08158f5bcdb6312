#include "SkinLayout.h"

#include "FileUtil.h"

namespace {

const wchar_t kMainSettings[] = L"MainSettings";
const wchar_t kSliders[] = L"Sliders";
const wchar_t kMainButtons[] = L"MainButtons";

class LayoutReader {
public:
    LayoutReader(const CIniFile& ini, const CString& skinDir) : m_ini(ini), m_skinDir(skinDir) {}

    CString Text(const wchar_t* section, const CString& key, const wchar_t* fallback = L"") const {
        return m_ini.GetString(section, key, fallback);
    }
    CString Image(const wchar_t* section, const wchar_t* key) const { return JoinPath(m_skinDir, Text(section, key)); }
    BOOL Flag(const wchar_t* section, const CString& key) const { return m_ini.GetBool(section, key, FALSE); }

    // name_Position, name_IsVisible (visibleSuffix may carry a trailing blank),
    // name_TipText, then the four state pictures when the button has them.
    SKIN_BUTTON_LAYOUT Button(const CString& name, bool statePictures, const wchar_t* visibleSuffix = L"_IsVisible") const {
        SKIN_BUTTON_LAYOUT button;
        button.strPosition = Text(kMainButtons, name + L"_Position");
        button.bVisible = Flag(kMainButtons, name + visibleSuffix);
        button.strTipText = Text(kMainButtons, name + L"_TipText");
        if (statePictures) {
            button.strUp = Text(kMainButtons, name + L"_Up");
            button.strOver = Text(kMainButtons, name + L"_Over");
            button.strDown = Text(kMainButtons, name + L"_Down");
            button.strDisable = Text(kMainButtons, name + L"_Disable");
        }
        return button;
    }

private:
    const CIniFile& m_ini;
    CString m_skinDir;
};

}  // namespace

void ReadSkinLayout(const CIniFile& playIni, const CIniFile& mainWndIni, const CString& skinDir, SKIN_LAYOUT* layout) {
    LayoutReader play(playIni, skinDir);
    layout->strPlayBackImageUp = play.Image(kMainSettings, L"BackImage_Up");
    layout->strPlayBackImageOver = play.Image(kMainSettings, L"BackImage_Over");
    layout->strPlayBackImageDown = play.Image(kMainSettings, L"BackImage_Down");
    layout->strPlayBackImageDisable = play.Image(kMainSettings, L"BackImage_Disable");
    layout->strPlayBackImage = play.Image(kMainSettings, L"BackImage");
    layout->strPlayButtonImage = play.Image(kMainSettings, L"ButtonImage");
    layout->strPlayWindowSize = play.Text(kMainSettings, L"MainWindow_Size");
    layout->bPlayUseMask = play.Flag(kMainSettings, L"IsUseMask");
    layout->strPlayMaskColor = play.Text(kMainSettings, L"MaskColor ");
    layout->bStepLengthVisible = play.Flag(kSliders, L"StepLength_IsVisible");
    layout->strStepLengthPosition = play.Text(kSliders, L"StepLength_Position", L"0,0,0,0");
    layout->strSliderImage = play.Image(kSliders, L"download");
    layout->strSliderBackImageUp = play.Image(kSliders, L"BackImage_Up");
    layout->strSliderBackImageOver = play.Image(kSliders, L"BackImage_Over");
    layout->strSliderBackImageDown = play.Image(kSliders, L"BackImage_Down");
    layout->strSliderBackImageDisable = play.Image(kSliders, L"BackImage_Disable");
    layout->pause = play.Button(L"Pause", true);
    layout->start = play.Button(L"Start", true);
    layout->stop = play.Button(L"Stop", true);
    layout->fast = play.Button(L"Fast", true);
    layout->slow = play.Button(L"Slow", true);
    layout->head = play.Button(L"Head", false);
    layout->tail = play.Button(L"Tail", false);
    layout->openFile = play.Button(L"OpenFile", true);
    layout->playList = play.Button(L"PlayList", true);

    LayoutReader main(mainWndIni, skinDir);
    layout->strMainBackImage = main.Image(kMainSettings, L"BackImage");
    layout->strMainButtonImage = main.Image(kMainSettings, L"ButtonImage");
    layout->strMainWindowSize = main.Text(kMainSettings, L"MainWindow_Size");
    layout->bMainUseMask = main.Flag(kMainSettings, L"IsUseMask");
    layout->strMainMaskColor = main.Text(kMainSettings, L"MaskColor ");
    layout->downLoadStart = main.Button(L"DownLoadStart", true);
    layout->downLoadStop = main.Button(L"DownLoadStop", true);
    layout->manage = main.Button(L"Manage", true);
    layout->search = main.Button(L"Search", true);
    layout->sysConfig = main.Button(L"SysConfig", true);
    layout->exit = main.Button(L"Exit", true, L"_IsVisible ");
}
