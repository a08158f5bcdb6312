// What a session relayed to a test recorder made by TwoChannelRecorderConfig
// must give, whichever proxy path carries it: the channel names, the two
// files of 10:00-10:10 on channel 1, and the first of them downloaded byte
// for byte. Call through ASSERT_NO_FATAL_FAILURE.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "standins/qvnetsdk/SdkWire.h"
#include "standins/streamfmt/StreamFormat.h"
#include "tests/standins/qvnetsdk/SdkApi.h"
#include "tests/support/SdkTestSupport.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitFor.h"

inline void ExpectRelayedQueriesAndDownload(int32_t login, const std::wstring& path, int downloadWaitMs) {
    std::vector<char> names(8192);
    int32_t count = 0;
    ASSERT_EQ(1, Sdk().ReadChannelNames(login, names.data(), 8192, &count, 3000));
    EXPECT_EQ(4, count);
    EXPECT_STREQ("Yard", &names[32]);

    std::vector<RECORD_FILE_DESC> files(100);
    const QVNET_TIME start = SdkTestTime(10, 0), end = SdkTestTime(10, 10);
    ASSERT_EQ(1, Sdk().FindRecordFiles(login, 1, 0, &start, &end, "", files.data(),
                                       static_cast<int32_t>(files.size() * sizeof(RECORD_FILE_DESC)), &count, 3000, 0));
    ASSERT_EQ(2, count);

    DownloadProgress progress;
    const std::string narrowPath(path.begin(), path.end());
    const int32_t fetch = Sdk().FetchRecordFile(login, &files[0], narrowPath.c_str(), OnDownloadProgress,
                                                reinterpret_cast<QVNET_USER>(&progress));
    ASSERT_GT(fetch, 0);
    ASSERT_TRUE(WaitFor([&] { return progress.total > 0 && progress.done >= progress.total; }, downloadWaitMs));
    streamfmt::StreamParams streamParams;
    streamParams.channel = 1;
    streamParams.beginTime = qvwire::TimeToSeconds(SdkTestTime(10, 0));
    streamParams.endTime = qvwire::TimeToSeconds(SdkTestTime(10, 5));
    const std::vector<uint8_t> expected = streamfmt::BuildStream(streamParams);
    EXPECT_EQ(std::string(expected.begin(), expected.end()), ReadWholeFile(path));
    EXPECT_EQ(1, Sdk().StopFetch(fetch));
}
