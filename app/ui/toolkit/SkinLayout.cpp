#include "SkinLayout.h"

#include "app/core/CAppConfig.h"
#include "app/core/FileUtil.h"

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
    SKIN_BUTTON_LAYOUT Button(const CString& name, bool statePictures,
                              const wchar_t* visibleSuffix = L"_IsVisible") const {
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

// The values of one file in reading order.
struct TextKey {
    const wchar_t* section;
    const wchar_t* key;
    CString SKIN_LAYOUT::*member;
    enum { kText, kImage } form;
};
struct FlagKey {
    const wchar_t* section;
    const wchar_t* key;
    BOOL SKIN_LAYOUT::*member;
};
struct ButtonKey {
    const wchar_t* name;
    SKIN_BUTTON_LAYOUT SKIN_LAYOUT::*member;
    bool statePictures;
    const wchar_t* visibleSuffix;
};

void ReadFile(const CIniFile& ini, const CString& skinDir, const TextKey* texts, size_t textCount, const FlagKey* flags,
              size_t flagCount, const ButtonKey* buttons, size_t buttonCount, SKIN_LAYOUT* layout) {
    LayoutReader reader(ini, skinDir);
    // Texts and flags interleave in the files, but none depends on another,
    // so reading the texts first changes nothing.
    for (size_t i = 0; i < textCount; ++i) {
        const TextKey& t = texts[i];
        layout->*t.member = t.form == TextKey::kImage ? reader.Image(t.section, t.key) : reader.Text(t.section, t.key);
    }
    for (size_t i = 0; i < flagCount; ++i) layout->*flags[i].member = reader.Flag(flags[i].section, flags[i].key);
    for (size_t i = 0; i < buttonCount; ++i) {
        const ButtonKey& b = buttons[i];
        layout->*b.member = reader.Button(b.name, b.statePictures, b.visibleSuffix);
    }
}

const wchar_t kVisible[] = L"_IsVisible";

}  // namespace

void ReadSkinLayout(const CIniFile& playIni, const CIniFile& mainWndIni, const CString& skinDir, SKIN_LAYOUT* layout) {
    typedef SKIN_LAYOUT L;
    static const TextKey kPlayTexts[] = {
        {kMainSettings, L"BackImage_Up", &L::strPlayBackImageUp, TextKey::kImage},
        {kMainSettings, L"BackImage_Over", &L::strPlayBackImageOver, TextKey::kImage},
        {kMainSettings, L"BackImage_Down", &L::strPlayBackImageDown, TextKey::kImage},
        {kMainSettings, L"BackImage_Disable", &L::strPlayBackImageDisable, TextKey::kImage},
        {kMainSettings, L"BackImage", &L::strPlayBackImage, TextKey::kImage},
        {kMainSettings, L"ButtonImage", &L::strPlayButtonImage, TextKey::kImage},
        {kMainSettings, L"MainWindow_Size", &L::strPlayWindowSize, TextKey::kText},
        {kMainSettings, L"MaskColor ", &L::strPlayMaskColor, TextKey::kText},
        {kSliders, L"download", &L::strSliderImage, TextKey::kImage},
        {kSliders, L"BackImage_Up", &L::strSliderBackImageUp, TextKey::kImage},
        {kSliders, L"BackImage_Over", &L::strSliderBackImageOver, TextKey::kImage},
        {kSliders, L"BackImage_Down", &L::strSliderBackImageDown, TextKey::kImage},
        {kSliders, L"BackImage_Disable", &L::strSliderBackImageDisable, TextKey::kImage},
    };
    static const FlagKey kPlayFlags[] = {
        {kMainSettings, L"IsUseMask", &L::bPlayUseMask},
        {kSliders, L"StepLength_IsVisible", &L::bStepLengthVisible},
    };
    static const ButtonKey kPlayButtons[] = {
        {L"Pause", &L::pause, true, kVisible},       {L"Start", &L::start, true, kVisible},
        {L"Stop", &L::stop, true, kVisible},         {L"Fast", &L::fast, true, kVisible},
        {L"Slow", &L::slow, true, kVisible},         {L"Head", &L::head, false, kVisible},
        {L"Tail", &L::tail, false, kVisible},        {L"OpenFile", &L::openFile, true, kVisible},
        {L"PlayList", &L::playList, true, kVisible},
    };
    static const TextKey kMainTexts[] = {
        {kMainSettings, L"BackImage", &L::strMainBackImage, TextKey::kImage},
        {kMainSettings, L"ButtonImage", &L::strMainButtonImage, TextKey::kImage},
        {kMainSettings, L"MainWindow_Size", &L::strMainWindowSize, TextKey::kText},
        {kMainSettings, L"MaskColor ", &L::strMainMaskColor, TextKey::kText},
    };
    static const FlagKey kMainFlags[] = {{kMainSettings, L"IsUseMask", &L::bMainUseMask}};
    static const ButtonKey kMainButtonKeys[] = {
        {L"DownLoadStart", &L::downLoadStart, true, kVisible},
        {L"DownLoadStop", &L::downLoadStop, true, kVisible},
        {L"Manage", &L::manage, true, kVisible},
        {L"Search", &L::search, true, kVisible},
        {L"SysConfig", &L::sysConfig, true, kVisible},
        {L"Exit", &L::exit, true, L"_IsVisible "},  // the file's key has the trailing blank
    };
    ReadFile(playIni, skinDir, kPlayTexts, _countof(kPlayTexts), kPlayFlags, _countof(kPlayFlags), kPlayButtons,
             _countof(kPlayButtons), layout);
    layout->strStepLengthPosition = playIni.GetString(kSliders, L"StepLength_Position", L"0,0,0,0");
    ReadFile(mainWndIni, skinDir, kMainTexts, _countof(kMainTexts), kMainFlags, _countof(kMainFlags), kMainButtonKeys,
             _countof(kMainButtonKeys), layout);
}

SKIN_LAYOUT ReadSkinLayout(const CAppConfig& config) {
    SKIN_LAYOUT layout;
    const CIniFile& playIni = config.GetPlayIni();
    ReadSkinLayout(playIni, config.GetMainWndIni(), GetPathDirectory(playIni.GetPath()), &layout);
    return layout;
}
