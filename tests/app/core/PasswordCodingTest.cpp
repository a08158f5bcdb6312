#include "app/core/PasswordCoding.h"

#include <gtest/gtest.h>

TEST(PasswordCodingTest, StoredGroups) {
    const struct {
        const wchar_t* plain;
        const wchar_t* coded;
    } cases[] = {
        {L"", L""},
        {L"abc", L"009901010105"},                           // 97+2, 98+3, 99+6
        {L"\u00C0", L"-062"},                                // byte 0xC0 is -64 signed, + 2
        {L"\u00C0\u00C0\u00C0", L"-062-061-058"},            // terms 2, 3, 6
        {L"aaaaaaaa", L"00990100010301080115012400990112"},  // terms 2 3 6 11 18 27 2 15
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(c.coded, EncodePassword(c.plain, 0)) << c.coded;
        EXPECT_STREQ(c.plain, DecodePassword(c.coded, 0)) << c.coded;
    }
}

TEST(PasswordCodingTest, RoundTripsEveryOneByteCharacter) {
    CString all;
    for (int b = 1; b < 256; ++b) {
        char byte = static_cast<char>(b);
        wchar_t c = 0;
        // Skip bytes the code page leaves undefined (1252 has a few).
        if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &byte, 1, &c, 1) == 1) all.AppendChar(c);
    }
    ASSERT_GT(all.GetLength(), 200);
    CString coded = EncodePassword(all, 0);
    EXPECT_EQ(4 * all.GetLength(), coded.GetLength());
    EXPECT_EQ(all, DecodePassword(coded, 0));
    EXPECT_STREQ(L"vorpl", DecodePassword(EncodePassword(L"vorpl", 0), 0));
}

TEST(PasswordCodingTest, ShortLastGroupOtherModesAndUnmappableCharacters) {
    // "0099" + "010" (a short last group reads as 10, minus term 3 = byte 7).
    CString decoded = DecodePassword(L"0099010", 0);
    ASSERT_EQ(2, decoded.GetLength());
    EXPECT_EQ(L'a', decoded.GetAt(0));
    EXPECT_EQ(7, decoded.GetAt(1));
    EXPECT_STREQ(L"", EncodePassword(L"abc", 1));
    EXPECT_STREQ(L"", DecodePassword(L"009901010105", 1));
    // A character outside the code page is stored as its default character.
    EXPECT_STREQ(L"?", DecodePassword(EncodePassword(L"\u4E2D", 0), 0));
}
