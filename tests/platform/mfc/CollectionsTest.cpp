#include <afx.h>
#include <afxtempl.h>

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

template <class LIST>
std::vector<int> Walk(const LIST& list) {
    std::vector<int> out;
    for (POSITION pos = list.GetHeadPosition(); pos;) out.push_back(list.GetNext(pos));
    return out;
}

// Runs fn and reports whether it threw a framework exception by pointer.
template <class FN>
bool ThrowsInvalidArg(FN fn) {
    try {
        fn();
    } catch (CInvalidArgException* e) {
        e->Delete();
        return true;
    }
    return false;
}

}  // namespace

TEST(CArrayTest, GrowsOnInsertPastEndAndRejectsBadIndexes) {
    CArray<int, int> a;
    EXPECT_EQ(0, a.Add(1));
    EXPECT_EQ(1, a.Add(2));
    a.InsertAt(4, 9);  // grows with zeros up to the index first
    ASSERT_EQ(5, a.GetSize());
    EXPECT_EQ(0, a[2]);
    EXPECT_EQ(9, a[4]);
    a.InsertAt(0, 7, 2);
    EXPECT_EQ(7, a[1]);
    EXPECT_EQ(1, a[2]);
    a.RemoveAt(0, 3);
    EXPECT_EQ(2, a[0]);
    a.SetAtGrow(6, 5);
    EXPECT_EQ(7, a.GetSize());
    EXPECT_EQ(6, a.GetUpperBound());

    EXPECT_TRUE(ThrowsInvalidArg([&] { a.GetAt(7); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { a.RemoveAt(5, 3); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { a[-1] = 0; }));

    CArray<int, int> b;
    b.Copy(a);
    EXPECT_EQ(7, b.Append(a));
    EXPECT_EQ(14, b.GetSize());
    b.InsertAt(1, &b);  // inserting an array into itself
    EXPECT_EQ(28, b.GetSize());
    b.RemoveAll();
    EXPECT_EQ(nullptr, b.GetData());
}

TEST(CListTest, PositionsSurviveEditsElsewhere) {
    CList<int, int> list;
    POSITION one = list.AddTail(1);
    POSITION three = list.AddTail(3);
    list.InsertAfter(one, 2);
    list.AddHead(0);
    list.InsertBefore(three, 25);
    EXPECT_EQ((std::vector<int>{0, 1, 2, 25, 3}), Walk(list));

    list.RemoveAt(list.Find(25));
    EXPECT_EQ(3, list.GetAt(three));
    EXPECT_EQ(one, list.Find(1));
    EXPECT_EQ(nullptr, list.Find(1, one));
    EXPECT_EQ(three, list.FindIndex(3));
    EXPECT_EQ(nullptr, list.FindIndex(4));

    EXPECT_EQ(0, list.RemoveHead());
    EXPECT_EQ(3, list.RemoveTail());
    POSITION back = list.GetTailPosition();
    EXPECT_EQ(2, list.GetPrev(back));
    EXPECT_EQ(1, list.GetPrev(back));
    EXPECT_EQ(nullptr, back);
    list.RemoveAll();
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(nullptr, list.GetHeadPosition());
    EXPECT_TRUE(ThrowsInvalidArg([&] { list.RemoveHead(); }));
}

TEST(CMapTest, LookupRemoveAndIterateOverManyKeys) {
    CMap<int, int, int, int> map;
    map.InitHashTable(7);  // few buckets: long chains
    for (int i = 0; i < 200; ++i) map[i] = i * 10;
    map.SetAt(5, -5);
    EXPECT_EQ(200, map.GetCount());
    int value = 0;
    EXPECT_TRUE(map.Lookup(5, value));
    EXPECT_EQ(-5, value);
    EXPECT_FALSE(map.Lookup(1000, value));
    EXPECT_TRUE(map.RemoveKey(199));
    EXPECT_FALSE(map.RemoveKey(199));

    std::set<int> seen;
    POSITION pos = map.GetStartPosition();
    while (pos) {
        int key, v;
        map.GetNextAssoc(pos, key, v);
        EXPECT_EQ(key == 5 ? -5 : key * 10, v);
        seen.insert(key);
    }
    EXPECT_EQ(199u, seen.size());
    map.RemoveAll();
    EXPECT_EQ(nullptr, map.GetStartPosition());
}

TEST(CMapTest, TextKeysHashByContent) {
    CMap<CString, const CString&, int, int> map;
    map[CString(L"alpha")] = 1;
    wchar_t other[] = L"alpha";  // same text at another address
    int value = 0;
    EXPECT_TRUE(map.Lookup(CString(other), value));
    EXPECT_EQ(1, value);
}

TEST(CTypedPtrTest, TypedWrappersOverPointerCollections) {
    struct Item {
        int id;
    };
    Item a{1}, b{2}, c{3};

    CTypedPtrArray<CPtrArray, Item*> array;
    array.Add(&a);
    array.SetAtGrow(2, &c);
    EXPECT_EQ(nullptr, array[1]);
    EXPECT_EQ(3, array.GetAt(2)->id);

    CTypedPtrList<CPtrList, Item*> list(10);
    list.AddTail(&b);
    list.AddHead(&a);
    POSITION pos = list.GetHeadPosition();
    EXPECT_EQ(1, list.GetNext(pos)->id);
    EXPECT_EQ(2, list.GetNext(pos)->id);
    EXPECT_EQ(&b, list.RemoveTail());

    CTypedPtrMap<CMapPtrToPtr, HWND, Item*> map;
    HWND key = reinterpret_cast<HWND>(0x1234);
    map.SetAt(key, &c);
    Item* found = nullptr;
    EXPECT_TRUE(map.Lookup(key, found));
    EXPECT_EQ(&c, found);
    map[reinterpret_cast<HWND>(0x5678)] = &a;
    POSITION mp = map.GetStartPosition();
    int visited = 0;
    while (mp) {
        HWND k;
        Item* v;
        map.GetNextAssoc(mp, k, v);
        EXPECT_EQ(k == key ? &c : &a, v);
        ++visited;
    }
    EXPECT_EQ(2, visited);
    EXPECT_TRUE(map.RemoveKey(key));
    EXPECT_FALSE(map.Lookup(key, found));
}

TEST(CStringCollectionsTest, StringArrayAndListHoldCopies) {
    CStringArray array;
    CString text(L"one");
    array.Add(text);
    array.Add(L"two");
    text = L"changed";
    EXPECT_STREQ(L"one", array[0]);
    EXPECT_STREQ(L"two", array.GetAt(1));

    CStringList list;
    list.AddTail(L"x");
    list.AddTail(CString(L"y"));
    EXPECT_NE(nullptr, list.Find(L"y"));
    EXPECT_EQ(nullptr, list.Find(L"z"));
    EXPECT_STREQ(L"x", list.GetHead());
}
