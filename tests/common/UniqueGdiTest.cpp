#include "common/UniqueGdi.h"

#include <gtest/gtest.h>

#include <utility>

// The order the header asks for: the owner declared first, the selection
// after it. The pen must be out of the device context before it is deleted,
// and the context must have its own pen back.
TEST(UniqueGdiTest, SelectionPutsThePreviousObjectBackBeforeTheOwnerDeletes) {
    CUniqueMemoryDC dc(CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    const HGDIOBJ original = GetCurrentObject(dc.Get(), OBJ_PEN);
    HPEN handle = nullptr;
    {
        CUniquePen pen(CreatePen(PS_SOLID, 3, RGB(200, 0, 0)));
        handle = pen.Get();
        CDcSelection usePen(dc.Get(), pen.Get());
        EXPECT_EQ(original, usePen.Previous());
        EXPECT_EQ(handle, GetCurrentObject(dc.Get(), OBJ_PEN));
        {
            CDcSelection nothing(dc.Get(), nullptr);  // selects and restores nothing
            EXPECT_EQ(nullptr, nothing.Previous());
        }
        EXPECT_EQ(handle, GetCurrentObject(dc.Get(), OBJ_PEN));
    }
    EXPECT_EQ(original, GetCurrentObject(dc.Get(), OBJ_PEN));
    EXPECT_EQ(0u, GetObjectType(handle));  // deleted

    CUniqueBrush brush(CreateSolidBrush(RGB(0, 0, 200)));
    const HGDIOBJ originalBrush = GetCurrentObject(dc.Get(), OBJ_BRUSH);
    CDcSelection useBrush(dc.Get(), brush.Get());
    useBrush.Restore();
    EXPECT_EQ(originalBrush, GetCurrentObject(dc.Get(), OBJ_BRUSH));
    SelectObject(dc.Get(), brush.Get());
    useBrush.Restore();  // a second restore must not select the old brush again
    EXPECT_EQ(brush.Get(), GetCurrentObject(dc.Get(), OBJ_BRUSH));
    SelectObject(dc.Get(), originalBrush);
}

// Each owner gives back what it holds once, and a move hands the handle on
// without giving it back.
TEST(UniqueGdiTest, OwnersGiveBackTheirHandleOnceAndMovesHandItOn) {
    CUniqueMenu menu(CreatePopupMenu());
    const HMENU menuHandle = menu.Get();
    CUniqueMenu menuTaker(std::move(menu));
    EXPECT_FALSE(menu);
    EXPECT_TRUE(IsMenu(menuHandle));
    menuTaker.Reset();
    EXPECT_FALSE(IsMenu(menuHandle));

    ASSERT_EQ(nullptr, GetModuleHandleW(L"msimg32.dll")) << "the test needs a library nobody else loaded";
    {
        CUniqueModule library(LoadLibraryW(L"msimg32.dll"));
        ASSERT_TRUE(library);
        CUniqueModule taker(std::move(library));
        EXPECT_NE(nullptr, GetModuleHandleW(L"msimg32.dll"));
    }
    EXPECT_EQ(nullptr, GetModuleHandleW(L"msimg32.dll"));
}
