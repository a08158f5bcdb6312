#include "app/core/FileNameRule.h"

#include <gtest/gtest.h>

#include "app/core/TextValues.h"

namespace {

__time64_t At(const wchar_t* text) { return ParseTimeString(text); }

struct RuleCase {
    const wchar_t* rule;
    const wchar_t* time;
    const wchar_t* expected;
};

}  // namespace

TEST(FileNameRuleTest, TimeTokensAndPadding) {
    const RuleCase cases[] = {
        {L"{Y4}_{M2}.db", L"2026-03-05 07:08:09", L"2026_03.db"},
        {L"{Y2}{M2}{D2}_{H2}{m2}{S2}", L"2026-03-05 07:08:09", L"260305_070809"},
        {L"{M}-{D}", L"2026-03-05 07:08:09", L"3-5"},
        {L"{H}h{m}m{S}s", L"2026-03-05 07:08:09", L"7h8m9s"},
        {L"{M2}{D2}{H2}{m2}{S2}", L"2026-12-25 23:59:58", L"1225235958"},
        {L"{m}|{M}", L"2026-11-05 07:42:09", L"4211"},
        {L"{X}{y4}{Y4", L"2026-03-05 07:08:09", L"{X}{y4}{Y4"},
        {L"", L"2026-03-05 07:08:09", L""},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(c.expected, ExpandNameRule(c.rule, L"", L"", L"", L"", L"", At(c.time), L"")) << c.rule;
}

TEST(FileNameRuleTest, CallerValuesAndInvalidCharacters) {
    const __time64_t t = At(L"2026-03-05 07:08:09");
    EXPECT_STREQ(L"1001_Cam1_2_Front_Alarm_motion",
                 ExpandNameRule(L"{DEVID}_{DEVNM}_{CHNIDX}_{CHNNM}_{RECTYPE}_{ALARMINFO}", L"1001", L"2", L"Cam/1",
                                L"Front", L"Alarm", t, L"motion"));
    // A "\" in the rule cannot make sub-directories.
    EXPECT_STREQ(L"dir2026", ExpandNameRule(L"dir\\{Y4}", L"", L"", L"", L"", L"", t, L""));
    // A value holding a later token is expanded; an earlier token stays.
    EXPECT_STREQ(L"ch9", ExpandNameRule(L"{DEVNM}", L"", L"", L"{CHNNM}", L"ch9", L"", t, L""));
    EXPECT_STREQ(L"{Y4}", ExpandNameRule(L"{DEVNM}", L"", L"", L"{Y4}", L"", L"", t, L""));
    // Names with ":" or control characters must still be valid file names.
    EXPECT_STREQ(L"Gate North.duz", ExpandNameRule(L"{CHNNM}.duz", L"", L"", L"", L"Gate: North", L"", t, L""));
    EXPECT_STREQ(L"abcdefghijk", StripInvalidFileChars(L"a\\b/c;d*e?f\"g<h>i|j:k"));
    EXPECT_STREQ(L"tab", StripInvalidFileChars(L"t\ta\r\nb"));
}

TEST(FileNameRuleTest, ArgsRecordDefaultsAndExpand) {
    FILE_NAME_RULE_ARGS defaults;
    EXPECT_STREQ(L"{Y2}{M2}{D2}_{H2}{m2}{S2}", defaults.rule);
    EXPECT_LE(_time64(nullptr) - defaults.time, 5);
    FILE_NAME_RULE_ARGS args(L"7", L"dev", L"3", L"chn", L"R", L"{DEVID}{DEVNM}{CHNIDX}{CHNNM}{RECTYPE}{ALARMINFO}{Y4}",
                             At(L"2030-01-02 03:04:05"), L"A");
    EXPECT_STREQ(L"7dev3chnRA2030", args.Expand());
}
