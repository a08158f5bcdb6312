#include <afxwin.h>

#include <gtest/gtest.h>

TEST(CGdiObjectTest, OwnersCountAndDeleteTheirObjects) {
    LONG before = AfxGetLiveGdiObjectCount();
    HGDIOBJ handle;
    {
        CBrush brush(RGB(1, 2, 3));
        CPen pen;
        EXPECT_TRUE(pen.CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
        EXPECT_FALSE(pen.CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));  // already holds one
        EXPECT_EQ(before + 2, AfxGetLiveGdiObjectCount());
        handle = brush.m_hObject;
        // A temporary wrapper neither counts nor deletes.
        CGdiObject* temp = CGdiObject::FromHandle(handle);
        EXPECT_TRUE(temp->IsKindOf(RUNTIME_CLASS(CBrush)));
        AfxUnlockTempMaps();
        EXPECT_EQ(static_cast<DWORD>(OBJ_BRUSH), GetObjectType(handle));
    }
    EXPECT_EQ(before, AfxGetLiveGdiObjectCount());
    EXPECT_EQ(0u, GetObjectType(handle));  // gone with its owner

    CBitmap detached;
    detached.CreateBitmap(4, 4, 1, 32, nullptr);
    HGDIOBJ kept = detached.Detach();
    EXPECT_EQ(before, AfxGetLiveGdiObjectCount());
    DeleteObject(kept);
}

TEST(CGdiObjectTest, ObjectsAreTakenOutOfTheirDcBeforeDeletion) {
    CDC screen;
    screen.Attach(GetDC(nullptr));
    CDC memory;
    ASSERT_TRUE(memory.CreateCompatibleDC(&screen));
    HGDIOBJ originalBitmap = GetCurrentObject(memory, OBJ_BITMAP);
    HGDIOBJ originalBrush = GetCurrentObject(memory, OBJ_BRUSH);
    {
        CBitmap bitmap;
        ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&screen, 8, 8));
        CBrush brush(RGB(9, 9, 9));
        CBitmap* previous = memory.SelectObject(&bitmap);
        ASSERT_NE(nullptr, previous);
        EXPECT_EQ(originalBitmap, previous->m_hObject);
        memory.SelectObject(&brush);
        memory.FillSolidRect(0, 0, 8, 8, RGB(200, 100, 50));
        EXPECT_EQ(RGB(200, 100, 50), memory.GetPixel(3, 3));
        // Both owners die here while still selected.
    }
    EXPECT_EQ(originalBitmap, GetCurrentObject(memory, OBJ_BITMAP));
    EXPECT_EQ(originalBrush, GetCurrentObject(memory, OBJ_BRUSH));
    ReleaseDC(nullptr, screen.Detach());
}

TEST(CGdiObjectTest, DcWrappersPutTheirOriginalsBack) {
    CWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, AfxRegisterWndClass(0), L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(90, L"Tahoma"));
    HDC seen;
    {
        CClientDC dc(&wnd);
        seen = dc.m_hDC;
        dc.SelectObject(&font);
        EXPECT_EQ(font.m_hObject, GetCurrentObject(dc, OBJ_FONT));
    }
    // The released DC no longer holds the font, so deleting it is safe.
    EXPECT_NE(font.m_hObject, GetCurrentObject(seen, OBJ_FONT));
    EXPECT_TRUE(font.DeleteObject());
}
