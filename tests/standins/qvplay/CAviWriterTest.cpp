#include "CAviWriter.h"

#include <gtest/gtest.h>

#include "AviFileReader.h"
#include "TempDir.h"

using namespace streamfmt;

namespace {
std::string Narrow(const std::wstring& w) {
    char buf[MAX_PATH * 2];
    int n = WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, buf, sizeof(buf), nullptr, nullptr);
    return n > 0 ? std::string(buf) : std::string();
}
}  // namespace

TEST(CAviWriterTest, AFileWithoutPicturesIsStillAValidAvi) {
    TempDir dir;
    std::string path = Narrow(dir.File(L"empty.avi"));
    CAviWriter writer;
    ASSERT_TRUE(writer.Create(path.c_str()));
    writer.SetFormat(16, 8, 25);
    ASSERT_TRUE(writer.Finish());
    AviContents avi;
    std::string error;
    ASSERT_TRUE(ReadAviFile(ReadWholeFile(dir.File(L"empty.avi")), avi, error)) << error;
    EXPECT_EQ(0u, avi.totalFrames);
    EXPECT_EQ(0u, avi.length);
    EXPECT_EQ(25u, avi.rate);
    EXPECT_EQ(1u, avi.scale);
}

TEST(CAviWriterTest, PicturesOfAnotherSizeAreSampledToTheFirstOnesSize) {
    TempDir dir;
    std::string path = Narrow(dir.File(L"mixed.avi"));
    CAviWriter writer;
    ASSERT_TRUE(writer.Create(path.c_str()));
    EXPECT_FALSE(writer.AddFrame(FrameInfo()));  // no format yet
    writer.SetFormat(3, 2, 1);
    writer.SetFormat(9, 9, 9);  // only the first format counts
    const uint8_t small[6] = {1, 2, 3, 4, 5, 6};
    const uint8_t big[24] = {10, 10, 20, 20, 30, 30, 10, 10, 20, 20, 30, 30,
                             40, 40, 50, 50, 60, 60, 40, 40, 50, 50, 60, 60};
    FrameInfo f;
    f.width = 3, f.height = 2, f.pixels = small;
    ASSERT_TRUE(writer.AddFrame(f));
    f.width = 6, f.height = 4, f.pixels = big;
    ASSERT_TRUE(writer.AddFrame(f));
    ASSERT_TRUE(writer.Finish());

    AviContents avi;
    std::string error;
    ASSERT_TRUE(ReadAviFile(ReadWholeFile(dir.File(L"mixed.avi")), avi, error)) << error;
    ASSERT_EQ(2u, avi.indexFrames.size());
    EXPECT_EQ(3, avi.dibWidth);
    EXPECT_EQ(2, avi.dibHeight);
    // Rows bottom to top, each padded to 4 bytes.
    EXPECT_EQ((std::vector<uint8_t>{4, 5, 6, 0, 1, 2, 3, 0}), avi.indexFrames[0]);
    EXPECT_EQ((std::vector<uint8_t>{40, 50, 60, 0, 10, 20, 30, 0}), avi.indexFrames[1]);
}
