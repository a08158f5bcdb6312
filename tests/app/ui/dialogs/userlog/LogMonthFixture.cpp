#include "LogMonthFixture.h"

#include <commctrl.h>
#include <sqlite3.h>

#include "app/ui/dialogs/resource.h"

namespace {

const wchar_t* const kUsers[] = {L"admin", L"alice", L"bob"};
const int kTypes[][2] = {{0, 0}, {0, 1}, {0, 2}, {1, 1012}, {1, 1014}, {1, 1024}, {2, 3000}, {1, 1999}};

CStringA Utf8(const CString& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    CStringA out;
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.GetBuffer(size), size, nullptr, nullptr);
    out.ReleaseBuffer();
    return out;
}

CStringA TimeText(const CTime& t) {
    CStringA text;
    text.Format("%04d-%02d-%02d %02d:%02d:%02d", t.GetYear(), t.GetMonth(), t.GetDay(), t.GetHour(), t.GetMinute(),
                t.GetSecond());
    return text;
}

}  // namespace

void LogMonthEntry(int i, CString* user, int* type, int* code) {
    *user = kUsers[i % 3];
    *type = kTypes[i % 8][0];
    *code = kTypes[i % 8][1];
}

bool WriteLogMonth(CLogDB& log, const CTime& month, int count) {
    // The log's own writer makes the file and its table; the bulk goes in directly.
    log.OpenMonth(month.GetTime());
    if (log.CheckTable() != 0) return false;
    sqlite3* db = nullptr;
    if (sqlite3_open16(static_cast<LPCWSTR>(log.GetMonthFile(month.GetTime())), &db) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    sqlite3_busy_timeout(db, 5000);
    sqlite3_stmt* insert = nullptr;
    bool ok = sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK &&
              sqlite3_prepare_v2(db,
                                 "INSERT INTO D_Logs(L_ID,I_LogType,I_SubType,C_StartTime,C_StopTime,L_SrcDevID,"
                                 "I_SrcChannelIdx,L_DesDevID,I_DesChannelIdx,I_Option,C_Information,C_FileName,"
                                 "C_OtherInfo,C_UserID,C_UpdateTime) VALUES(?,?,?,?,?,0,0,0,0,0,?,'','',?,?)",
                                 -1, &insert, nullptr) == SQLITE_OK;
    for (int i = 0; ok && i < count; ++i) {
        CString user;
        int type = 0, code = 0;
        LogMonthEntry(i, &user, &type, &code);
        CTime day(month.GetYear(), month.GetMonth(), 1 + i % 28, 10, i % 60, 0);
        CString info;
        info.Format(L"entry %d", i);
        CStringA start = TimeText(day), stop = TimeText(day + CTimeSpan(0, 1, 0, 0)), infoText = Utf8(info),
                 userText = Utf8(user);
        sqlite3_bind_int(insert, 1, i + 1);
        sqlite3_bind_int(insert, 2, type);
        sqlite3_bind_int(insert, 3, code);
        sqlite3_bind_text(insert, 4, start, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 5, stop, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 6, infoText, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 7, userText, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 8, start, -1, SQLITE_TRANSIENT);
        ok = sqlite3_step(insert) == SQLITE_DONE;
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    ok = sqlite3_exec(db, ok ? "COMMIT" : "ROLLBACK", nullptr, nullptr, nullptr) == SQLITE_OK && ok;
    sqlite3_close(db);
    return ok;
}

void ChooseLogMonth(HWND dialog, const CTime& month) {
    HWND picker = GetDlgItem(dialog, IDC_LOGQUERY_MONTH);
    NMDATETIMECHANGE change = {};
    month.GetAsSystemTime(change.st);
    DateTime_SetSystemtime(picker, GDT_VALID, &change.st);
    change.nmhdr.hwndFrom = picker;
    change.nmhdr.idFrom = IDC_LOGQUERY_MONTH;
    change.nmhdr.code = DTN_DATETIMECHANGE;
    change.dwFlags = GDT_VALID;
    SendMessageW(dialog, WM_NOTIFY, IDC_LOGQUERY_MONTH, reinterpret_cast<LPARAM>(&change));
}
