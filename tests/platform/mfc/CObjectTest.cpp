#include <afx.h>

#include <gtest/gtest.h>

namespace {

class CShape : public CObject {
    DECLARE_DYNAMIC(CShape)
};
IMPLEMENT_DYNAMIC(CShape, CObject)

class CCircle : public CShape {
    DECLARE_DYNCREATE(CCircle)
public:
    int radius = 7;
};
IMPLEMENT_DYNCREATE(CCircle, CShape)

}  // namespace

TEST(CObjectTest, RuntimeClassNamesAndDerivation) {
    CCircle circle;
    CShape shape;
    CObject* asObject = &circle;
    EXPECT_STREQ("CCircle", asObject->GetRuntimeClass()->m_lpszClassName);
    EXPECT_STREQ("CShape", asObject->GetRuntimeClass()->m_pBaseClass->m_lpszClassName);
    EXPECT_TRUE(circle.IsKindOf(RUNTIME_CLASS(CShape)));
    EXPECT_TRUE(circle.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(shape.IsKindOf(RUNTIME_CLASS(CCircle)));

    EXPECT_EQ(&circle, DYNAMIC_DOWNCAST(CCircle, asObject));
    EXPECT_EQ(nullptr, DYNAMIC_DOWNCAST(CCircle, static_cast<CObject*>(&shape)));
    EXPECT_EQ(nullptr, DYNAMIC_DOWNCAST(CCircle, static_cast<CObject*>(nullptr)));
}

TEST(CObjectTest, OnlyDynCreateClassesCanBeCreatedByRuntimeClass) {
    CObject* made = RUNTIME_CLASS(CCircle)->CreateObject();
    ASSERT_NE(nullptr, made);
    CCircle* circle = DYNAMIC_DOWNCAST(CCircle, made);
    ASSERT_NE(nullptr, circle);
    EXPECT_EQ(7, circle->radius);
    delete made;
    EXPECT_EQ(nullptr, RUNTIME_CLASS(CShape)->CreateObject());
}
