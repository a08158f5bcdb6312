#include "RecordListDBFixture.h"

RECORD_LIST_ROW MakeRow(int dev, int channel, const wchar_t* start, const wchar_t* end, const wchar_t* path, int type,
                        int fileLen) {
    RECORD_LIST_ROW row;
    row.L_DevID = dev;
    row.I_ChannelIndex = channel;
    row.I_Type = type;
    row.C_StartTime = start;
    row.C_EndTime = end;
    row.C_FilePath = path;
    row.L_FileLen = fileLen;
    row.C_UpdateTime = L"2024-05-01 08:00:00";
    return row;
}

std::vector<int> Ids(const RECORD_LIST_ROWS& rows) {
    std::vector<int> ids;
    for (const RECORD_LIST_ROW& row : rows) ids.push_back(row.L_ID);
    return ids;
}

std::vector<std::string> IndexNames(SqlFile& raw) {
    return raw.Column("SELECT name FROM sqlite_master WHERE type = 'index' ORDER BY name");
}
