// The backup engine's parts over a temporary folder: record file
// descriptions, dates and the fixture the parts' tests share.
#pragma once

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <string.h>

#include <thread>

#include "EngineFixture.h"
#include "WaitFor.h"
#include "app/core/CAppConfig.h"
#include "app/core/FileUtil.h"
#include "app/engine/RecordTime.h"

RECORD_FILE_DESC Desc(int channel, int hour, int minute, int lengthMinutes, uint8_t type = 0);

CString DaysAgo(int days);

class BackupEngineParts : public EngineFixture {
protected:
    // A record file in the save directory with its row, started daysAgo.
    CString AddSavedRecord(const wchar_t* name, int daysAgo) {
        const CString path(temp.File((std::wstring(L"save\\") + name).c_str()).c_str());
        EXPECT_TRUE(WriteWholeFile(std::wstring(path), "x"));
        RECORD_LIST_ROW row;
        row.C_StartTime = DaysAgo(daysAgo);
        row.C_EndTime = row.C_StartTime;
        row.C_FilePath = path;
        EXPECT_EQ(0, engine->RecordList().Insert(row));
        return path;
    }
};
