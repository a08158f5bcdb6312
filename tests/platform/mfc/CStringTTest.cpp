#include <afx.h>

#include <gtest/gtest.h>

TEST(CStringTest, SearchesReturnMinusOneWhenAbsent) {
    CString s(L"abcabc");
    struct Case {
        int got;
        int want;
    } cases[] = {
        {s.Find(L'b'), 1},       {s.Find(L'b', 2), 4},     {s.Find(L'z'), -1},       {s.Find(L"ca"), 2},
        {s.Find(L"ca", 3), -1},  {s.Find(L'a', 99), -1},   {s.ReverseFind(L'a'), 3}, {s.ReverseFind(L'z'), -1},
        {s.FindOneOf(L"xc"), 2}, {CString().Find(L""), 0}, {s.Find(L'a', -5), 0},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) EXPECT_EQ(cases[i].want, cases[i].got) << "case " << i;
}

TEST(CStringTest, ExtractionClampsItsArguments) {
    CString s(L"Hello");
    struct Case {
        CString got;
        const wchar_t* want;
    } cases[] = {
        {s.Mid(1), L"ello"},
        {s.Mid(1, 2), L"el"},
        {s.Mid(4, 10), L"o"},
        {s.Mid(5), L""},
        {s.Mid(9, 1), L""},
        {s.Mid(-3, 2), L"He"},
        {s.Mid(2, -1), L""},
        {s.Left(2), L"He"},
        {s.Left(99), L"Hello"},
        {s.Left(-1), L""},
        {s.Right(3), L"llo"},
        {s.Right(99), L"Hello"},
        {s.Right(-2), L""},
        {s.SpanIncluding(L"Hel"), L"Hell"},
        {s.SpanExcluding(L"l"), L"He"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
        EXPECT_STREQ(cases[i].want, cases[i].got) << "case " << i;
}

TEST(CStringTest, EditingOperations) {
    CString s(L"a-b-c");
    EXPECT_EQ(2, s.Replace(L'-', L'+'));
    EXPECT_STREQ(L"a+b+c", s);
    EXPECT_EQ(2, s.Replace(L"+", L"--"));
    EXPECT_STREQ(L"a--b--c", s);
    EXPECT_EQ(0, s.Replace(L"", L"x"));
    EXPECT_EQ(4, s.Remove(L'-'));
    EXPECT_STREQ(L"abc", s);
    s.Insert(1, L"XY");
    EXPECT_STREQ(L"aXYbc", s);
    s.Delete(1, 2);
    EXPECT_STREQ(L"abc", s);
    s.Delete(2, 100);
    EXPECT_STREQ(L"ab", s);

    CString t(L"  \t x y \r\n");
    t.Trim();
    EXPECT_STREQ(L"x y", t);
    CString u(L"xxabcxx");
    u.TrimLeft(L'x');
    EXPECT_STREQ(L"abcxx", u);
    u.TrimRight(L"xc");
    EXPECT_STREQ(L"ab", u);
    CString all(L"xxx");
    all.TrimRight(L'x');
    EXPECT_TRUE(all.IsEmpty());

    CString m(L"MiXeD");
    EXPECT_STREQ(L"MIXED", CString(m).MakeUpper());
    EXPECT_STREQ(L"mixed", CString(m).MakeLower());
    EXPECT_EQ(0, m.CompareNoCase(L"mixed"));
    EXPECT_NE(0, m.Compare(L"mixed"));
}

TEST(CStringTest, FormatUsesWindowsRuntimeConventions) {
    CString s;
    s.Format(L"%s=%d;%S;%c;%05.1f;%I64d", L"wide", -42, "narrow", L'Z', 3.14159, 1234567890123LL);
    EXPECT_STREQ(L"wide=-42;narrow;Z;003.1;1234567890123", s);
    s.AppendFormat(L"|%04d", -7);
    EXPECT_STREQ(L"wide=-42;narrow;Z;003.1;1234567890123|-007", s);
    CString big;
    big.Format(L"%s", std::wstring(5000, L'q').c_str());
    EXPECT_EQ(5000, big.GetLength());
    CStringA a;
    a.Format("%s:%d", "ansi", 5);
    EXPECT_STREQ("ansi:5", a);
}

TEST(CStringTest, AnsiCodePageConversionsRoundTrip) {
    ASSERT_EQ(1252u, GetACP()) << "tests expect the 1252 ANSI code page";
    CString wide("Jos\xe9 \x80");  // e acute and the euro sign in code page 1252
    EXPECT_STREQ(L"Jos\u00e9 \u20ac", wide);
    CStringA narrow(wide);
    EXPECT_STREQ("Jos\xe9 \x80", narrow);
    EXPECT_STREQ("Jos\xe9 \x80", CW2A(wide));
    EXPECT_STREQ(L"Jos\u00e9 \u20ac", CA2W("Jos\xe9 \x80"));
    CString concat = CString(L"a") + L"b" + L'c';
    concat += "d";
    EXPECT_STREQ(L"abcd", concat);
}

TEST(CStringTest, BufferAccessFixesTheLength) {
    CString s(L"abc");
    wchar_t* p = s.GetBuffer(10);
    wcscpy(p, L"0123456789");
    s.ReleaseBuffer();
    EXPECT_EQ(10, s.GetLength());
    p = s.GetBuffer(4);
    p[2] = 0;
    s.ReleaseBuffer();
    EXPECT_STREQ(L"01", s);
    s.GetBufferSetLength(3);
    s.ReleaseBuffer(1);
    EXPECT_STREQ(L"0", s);
}

TEST(CStringTest, Tokenize) {
    CString s(L";a;;bc;");
    int pos = 0;
    EXPECT_STREQ(L"a", s.Tokenize(L";", pos));
    EXPECT_STREQ(L"bc", s.Tokenize(L";", pos));
    EXPECT_STREQ(L"", s.Tokenize(L";", pos));
    EXPECT_EQ(-1, pos);
}
