// Time from a month change in the log query dialog to its filled list, for
// months of many records; the query and the list filling also apart.
//   bench_log_query.exe [records per month, default 50000] [rounds, default 5]
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "TempDir.h"
#include "app/core/CAppConfig.h"
#include "app/core/CUserManager.h"
#include "app/ui/dialogs/userlog/CLogQueryDlg.h"
#include "app/ui/dialogs/resource.h"
#include "tests/app/ui/dialogs/userlog/LogMonthFixture.h"

namespace {

double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int records = argc > 1 ? atoi(argv[1]) : 50000;
    const int rounds = argc > 2 ? atoi(argv[2]) : 5;
    TempDir temp;
    CAppConfig* config = GetAppConfig();
    config->m_strModuleDir = CString(temp.Path().c_str()) + L"\\";
    config->m_strSuperUserID = L"admin";
    CLogDB log;
    log.SetDirectory(CString(temp.File(L"Log").c_str()) + L"\\");
    const CTime large(2025, 1, 10, 12, 0, 0), small(2025, 2, 10, 12, 0, 0);
    double start = Now();
    if (!WriteLogMonth(log, large, records) || !WriteLogMonth(log, small, 10)) {
        fprintf(stderr, "could not write the log months\n");
        return 1;
    }
    printf("wrote %d records in %.0f ms\n", records, Now() - start);

    CUserManager users(config);
    users.m_CurrentUser.id = L"admin";
    // Another user gives the super user "All User", so the whole month is listed.
    users.AddUserFields(L"alice", L"", L"p", L"Male", L"", L"", L"", L".\\alice", L"1");
    double queryMs = 0;
    CLogQueryDlg dialog;
    dialog.SetUserManager(&users);
    dialog.SetQueryRunner([&](LOG_QUERY& request) {
        double begin = Now();
        log.Query(request.results, request.month.GetYear(), request.month.GetMonth(), request.type, request.code,
                  request.user, GetDefaultLogTime(), GetDefaultLogTime(), -1, -1, -1, -1, -1, -1);
        queryMs = Now() - begin;
    });
    if (!dialog.Create(IDD_LOG_QUERY, nullptr)) {
        fprintf(stderr, "no dialog\n");
        return 1;
    }
    dialog.ShowWindow(SW_SHOW);
    dialog.Activate();
    std::vector<double> totals, queries;
    for (int round = 0; round < rounds; ++round) {
        ChooseLogMonth(dialog.m_hWnd, small);
        double begin = Now();
        ChooseLogMonth(dialog.m_hWnd, large);
        // The list paints its first page before the user sees it.
        UpdateWindow(dialog.ResultList().m_hWnd);
        totals.push_back(Now() - begin);
        queries.push_back(queryMs);
        if (dialog.ResultList().GetItemCount() != records) {
            fprintf(stderr, "listed %d of %d\n", dialog.ResultList().GetItemCount(), records);
            return 1;
        }
    }
    printf("month change to filled list, %d records: median %.0f ms (min %.0f, max %.0f) over %d rounds\n", records,
           Median(totals), *std::min_element(totals.begin(), totals.end()),
           *std::max_element(totals.begin(), totals.end()), rounds);
    printf("  of which the query: median %.0f ms; filling the list: %.0f ms\n", Median(queries),
           Median(totals) - Median(queries));
    dialog.DestroyWindow();
    return 0;
}
