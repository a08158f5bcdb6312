#include "app/core/TextValues.h"

#include <gtest/gtest.h>

namespace {

std::vector<CString> Split(const wchar_t* text, wchar_t separator) {
    std::vector<CString> pieces;
    EXPECT_EQ(0, SplitString(text, separator, pieces));
    return pieces;
}

CString Formatted(__time64_t t) {
    struct tm local = {};
    _localtime64_s(&local, &t);
    CString text;
    text.Format(L"%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                local.tm_min, local.tm_sec);
    return text;
}

}  // namespace

TEST(TextValuesTest, SplitDropsTheTrailingPiece) {
    const struct {
        const wchar_t* text;
        std::vector<const wchar_t*> pieces;
    } cases[] = {
        {L"a,b,c", {L"a", L"b"}}, {L"abc", {L"abc"}}, {L"a,,b,", {L"a", L"", L"b"}}, {L"", {L""}}, {L",", {L""}},
    };
    for (const auto& c : cases) {
        std::vector<CString> pieces = Split(c.text, L',');
        ASSERT_EQ(c.pieces.size(), pieces.size()) << c.text;
        for (size_t i = 0; i < pieces.size(); ++i) EXPECT_STREQ(c.pieces[i], pieces[i]) << c.text;
    }
    // Far longer than any fixed conversion buffer, and outside the ANSI code page.
    CString longText;
    for (int i = 0; i < 2000; ++i) longText += L"\u4E2Dx;";
    std::vector<CString> pieces = Split(longText, L';');
    ASSERT_EQ(2000u, pieces.size());
    EXPECT_STREQ(L"\u4E2Dx", pieces[1999]);
    // Appends to what the list already holds.
    std::vector<CString> list{L"kept"};
    SplitString(L"x", L';', list);
    ASSERT_EQ(2u, list.size());
    EXPECT_STREQ(L"x", list[1]);
}

TEST(TextValuesTest, ColoursRectanglesSizes) {
    EXPECT_EQ(RGB(195, 229, 242), ParseColor(L" 195, 229 ,242 "));
    EXPECT_EQ(0u, ParseColor(L""));
    EXPECT_EQ(RGB(0, 0, 200), ParseColor(L"200"));
    EXPECT_EQ(RGB(1, 0, 2), ParseColor(L"1,2"));
    EXPECT_EQ(RGB(0, 4, 0xFF), ParseColor(L"256,4,-1"));  // each part keeps its low byte
    EXPECT_EQ(RGB(0, 7, 0), ParseColor(L"red,7,blue"));
    int r = -1, g = -1, b = -1;
    ParseColorRGB(L"10,20,30", &r, &g, &b);
    EXPECT_EQ(10, r);
    EXPECT_EQ(20, g);
    EXPECT_EQ(30, b);

    RECT rc = ParseRect(L"1,2,3,4");
    EXPECT_EQ(1, rc.left);
    EXPECT_EQ(2, rc.top);
    EXPECT_EQ(3, rc.right);
    EXPECT_EQ(4, rc.bottom);
    rc = ParseRect(L"");
    EXPECT_EQ(0, rc.left | rc.top | rc.right | rc.bottom);
    rc = ParseRect(L"-5, 6");
    EXPECT_EQ(-5, rc.left);
    EXPECT_EQ(0, rc.top);
    EXPECT_EQ(6, rc.bottom);

    SIZE size = ParseSize(L"640,480");
    EXPECT_EQ(640, size.cx);
    EXPECT_EQ(480, size.cy);
    POINT pt = ParseIntPair(L" -3 , 9 ");
    EXPECT_EQ(-3, pt.x);
    EXPECT_EQ(9, pt.y);
    SIX_INT_VALUES six = ParseSixInts(L"1,2,3,4,5,6");
    for (int i = 0; i < 6; ++i) EXPECT_EQ(i + 1, six.values[i]);
}

TEST(TextValuesTest, TimeStrings) {
    const struct {
        const wchar_t* text;
        const wchar_t* expected;
    } cases[] = {
        {L"2009-07-15 08:05:03", L"2009-07-15 08:05:03"},
        {L"  2037-12-31 23:59:59 ", L"2037-12-31 23:59:59"},
        {L"2009-7-15 8:05:3", L"2009-07-15 08:05:03"},
        {L"2009-04-31 10:00:00", L"2009-05-01 10:00:00"},  // rolls into the next month
        {L"1999-07-15 08:05:03", L"2000-01-01 12:00:00"},
        {L"2009-13-15 08:05:03", L"2000-01-01 12:00:00"},
        {L"2009-07-15 24:00:00", L"2000-01-01 12:00:00"},
        {L"2009-07-15 08:60:00", L"2000-01-01 12:00:00"},
        {L"2009-07-00 08:05:03", L"2000-01-01 12:00:00"},
        {L"", L"2000-01-01 12:00:00"},
        {L"2009", L"2000-01-01 12:00:00"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(c.expected, Formatted(ParseTimeString(c.text))) << c.text;
        const CStringA narrow(c.text);
        EXPECT_STREQ(c.expected, Formatted(ParseTimeString(narrow.GetString(), narrow.GetLength()))) << c.text;
    }
}
