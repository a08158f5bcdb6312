#include "app/core/XmlFile.h"

#include <gtest/gtest.h>

#include <string>

#include "TempDir.h"

namespace {

CString In(const TempDir& dir, const wchar_t* name) { return CString(dir.File(name).c_str()); }

// Every shape the program's files hold: the declaration, nested elements,
// an element without children, one with only text, an accented ANSI value.
void BuildDocument(TiXmlDocument& doc) {
    AddXmlDeclaration(doc);
    TiXmlElement* root = new TiXmlElement("Root");
    doc.LinkEndChild(root);
    TiXmlElement* outer = new TiXmlElement("Outer");
    root->LinkEndChild(outer);
    TiXmlElement* leaf = new TiXmlElement("Leaf");
    leaf->SetAttribute("Id", 7);
    SetAnsiAttribute(leaf, "Name", L"Caf\u00e9 \"A\"");
    outer->LinkEndChild(leaf);
    TiXmlElement* note = new TiXmlElement("Note");
    note->LinkEndChild(new TiXmlText("a < b"));
    root->LinkEndChild(note);
    root->LinkEndChild(new TiXmlElement("Empty"));
}

const char kWrittenBytes[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\r\n"
    "<Root>\r\n"
    "    <Outer>\r\n"
    "        <Leaf Id=\"7\" Name='Caf\xE9 &quot;A&quot;' />\r\n"
    "    </Outer>\r\n"
    "    <Note>a &lt; b</Note>\r\n"
    "    <Empty />\r\n"
    "</Root>\r\n";

}  // namespace

// The files are opened by earlier releases and by people: the layout, the
// CRLF line ends and the ANSI bytes stay as they have always been.
TEST(XmlFileTest, WritesTheFilesLayoutAndReadsItBack) {
    TempDir dir;
    const CString path = In(dir, L"list.xml");
    TiXmlDocument doc;
    BuildDocument(doc);
    ASSERT_EQ(0, WriteXmlFile(doc, path));
    EXPECT_EQ(std::string(kWrittenBytes), ReadWholeFile(dir.File(L"list.xml")));

    TiXmlDocument back;
    ASSERT_EQ(0, ReadXmlFile(path, back));
    CString name;
    ASSERT_TRUE(
        GetAnsiAttribute(back.RootElement()->FirstChildElement("Outer")->FirstChildElement("Leaf"), "Name", &name));
    EXPECT_STREQ(L"Caf\u00e9 \"A\"", name);
}

TEST(XmlFileTest, ReadLeavesOutTheByteOrderMarkAndReportsEmptyOrMissingFiles) {
    TempDir dir;
    ASSERT_TRUE(WriteWholeFile(dir.File(L"bom.xml"), "\xEF\xBB\xBF<A X=\"1\" />"));
    std::string text;
    ASSERT_EQ(0, ReadXmlText(In(dir, L"bom.xml"), text));
    EXPECT_EQ("<A X=\"1\" />", text);
    TiXmlDocument doc;
    ASSERT_EQ(0, ReadXmlFile(In(dir, L"bom.xml"), doc));
    EXPECT_EQ(1, GetIntAttribute(doc.RootElement(), "X"));

    ASSERT_TRUE(WriteWholeFile(dir.File(L"empty.xml"), ""));
    EXPECT_EQ(1, ReadXmlText(In(dir, L"empty.xml"), text));
    EXPECT_EQ(1, ReadXmlFile(In(dir, L"missing.xml"), doc));
    EXPECT_EQ(1, ReadXmlFile(L"", doc));
    ASSERT_TRUE(WriteWholeFile(dir.File(L"broken.xml"), "<A><B></A>"));
    EXPECT_EQ(-1, ReadXmlFile(In(dir, L"broken.xml"), doc));
}

TEST(XmlFileTest, AFailedWriteLeavesThePreviousFile) {
    TempDir dir;
    TiXmlDocument doc;
    BuildDocument(doc);
    EXPECT_EQ(-2, WriteXmlFile(doc, L""));
    EXPECT_EQ(-3, WriteXmlFile(doc, In(dir, L"no-such-folder\\list.xml")));

    const std::wstring file = dir.File(L"locked.xml");
    ASSERT_TRUE(WriteWholeFile(file, "before"));
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(-3, WriteXmlFile(doc, CString(file.c_str())));
    EXPECT_EQ("before", ReadWholeFile(file));
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}
