// Time to open the windows that list a fleet of devices and schedules, with
// the menu library's start-up hook installed as in the program: Device
// Manage, the schedule list (which builds its schedule editor), the editor's
// channel tree built and shown by "Multi Channel", ticking "All Devices" there, and
// the main window's task list refresh. Loading the files is also timed apart.
//   bench_dialogs_open.exe [devices, 500] [channels, 32] [schedules, 2000] [rounds, 3]
//                          [devices the program reads, all]
// Devices past the program's maximum stay in device.xml unread, as a user's
// file larger than the configured maximum does.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "BoxCloser.h"
#include "SentMessageCount.h"
#include "TempDir.h"
#include "UserFolderSetup.h"
#include "app/core/CAppConfig.h"
#include "app/core/CBackupScheduleStore.h"
#include "app/core/SystemUtil.h"
#include "app/engine/CBackupEngine.h"
#include "app/engine/CDeviceManager.h"
#include "app/ui/dialogs/schedules/CBackupProjectDlg.h"
#include "app/ui/dialogs/devices/CDevManageDlg.h"
#include "app/ui/dialogs/schedules/CProjectEditDlg.h"
#include "app/ui/dialogs/mainwindow/CTaskListView.h"
#include "app/ui/dialogs/resource.h"
#include "app/ui/toolkit/CVirtualListCtrl.h"

namespace {

double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Figure {
    const char* name;
    std::vector<double> runs;
};

double Time(const std::function<void()>& work) {
    const double begin = Now();
    work();
    return Now() - begin;
}

DEVICE_RECORD MakeDevice(int index, int channels) {
    DEVICE_RECORD record;
    record.id = 1001 + index;
    char text[64];
    snprintf(text, sizeof text, "Recorder %04d", index + 1);
    CopyFixedText(record.title, text);
    // Loopback and the discard port: the scheduler, started for the task
    // list, finds every device off line without a packet leaving the machine.
    CopyFixedText(record.ip, "127.0.0.1");
    CopyFixedText(record.type, "DVR");
    CopyFixedText(record.user, "admin");
    record.port = 9;
    record.channelCount = channels;
    for (int channel = 0; channel < channels; ++channel) {
        snprintf(text, sizeof text, "Camera %02d", channel + 1);
        CopyFixedText(record.channels[channel].name, text);
    }
    return record;
}

bool WriteFiles(const TempDir& temp, int devices, int channels, int schedules) {
    CDeviceManager file;
    file.SetMaxDeviceCount(devices);
    for (int i = 0; i < devices; ++i) {
        if (file.AddDeviceRecord(MakeDevice(i, channels)) != 0) return false;
    }
    if (file.WriteDeviceXml(CString(temp.File(L"device.xml").c_str())) != 0) return false;
    CBackupScheduleStore store;
    for (int i = 0; i < schedules; ++i) store.AddAuto(DailySchedule(1001 + i % devices, (i / devices) % channels));
    return store.Save(CString(temp.File(L"backupschedule.xml").c_str())) == 0;
}

void Print(const Figure& figure) {
    printf("%-44s", figure.name);
    for (double ms : figure.runs) printf(" %8.0f", ms);
    printf("  ms\n");
}

using Measure = std::function<void(const char* name, const std::function<void()>& work)>;

// One pass over every window, each step handed to measure in the same order.
void RunRound(int maxDevices, bool heldBack, int& taskRows, const Measure& measure) {
    CAppConfig* config = GetAppConfig();
    CBackupEngine& engine = GetBackupEngine();
    measure("load device.xml (CDeviceManager)", [&] {
        CDeviceManager list;
        list.SetMaxDeviceCount(maxDevices);
        list.OpenDeviceFile(config->m_strDeviceFile);
    });
    measure("load backupschedule.xml (store)", [&] {
        CBackupScheduleStore store;
        store.Load(config->m_strScheduleFile);
    });

    CDevManageDlg manage;
    measure("Device Manage open", [&] {
        // The dialog tells of devices past the maximum in a box before it
        // shows; answered here as a user would (the watcher looks every 10 ms).
        std::unique_ptr<BoxCloser> answer(heldBack ? new BoxCloser : nullptr);
        manage.Create(IDD_DEVMANAGE, nullptr);
        if (answer) answer->Stop();
        manage.ShowWindow(SW_SHOW);
        manage.UpdateWindow();
    });
    manage.DestroyWindow();
    PumpMessages();

    CBackupProjectDlg list;
    measure("schedule list open (editor built)", [&] {
        list.Create(IDD_BACKUP_PROJECT, nullptr);
        list.ShowWindow(SW_SHOW);
        list.UpdateWindow();
    });
    CProjectEditDlg& editor = list.GetEditor();
    measure("editor: Multi Channel shows the tree", [&] {
        list.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_PROJECT_ADD, BN_CLICKED),
                         reinterpret_cast<LPARAM>(list.GetDlgItem(IDC_PROJECT_ADD)->m_hWnd));
        HWND multi = editor.GetDlgItem(IDC_PROJEDIT_MULTI)->m_hWnd;
        ::SendMessageW(multi, BM_SETCHECK, BST_CHECKED, 0);
        editor.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_PROJEDIT_MULTI, BN_CLICKED), reinterpret_cast<LPARAM>(multi));
        editor.UpdateWindow();
    });
    measure("editor: tick All Devices", [&] {
        CTreeCtrl& tree = editor.GetTree();
        tree.SelectItem(tree.GetRootItem());
        ::SendMessageW(tree.m_hWnd, WM_KEYDOWN, VK_SPACE, 1);
        ::SendMessageW(tree.m_hWnd, WM_KEYUP, VK_SPACE, 0xC0000001);
        PumpMessages();
        editor.UpdateWindow();
    });
    list.DestroyWindow();
    PumpMessages();

    // The task list as the main window holds it: an owner-data list
    // under a window of the framework, which hands the list its notifications.
    CWnd host;
    host.CreateEx(0, AfxRegisterWndClass(0), L"tasks", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 400, nullptr,
                  nullptr);
    CVirtualListCtrl tasks;
    tasks.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                 CRect(0, 0, 780, 360), &host, 1);
    CTaskListView view(tasks);
    view.SetUpColumns();
    // Schedules get task rows while automatic backup is on.
    engine.StartAutoBackup();
    measure("task list: first refresh", [&] {
        view.Refresh();
        tasks.UpdateWindow();
    });
    measure("task list: refresh, nothing changed", [&] {
        view.Refresh();
        tasks.UpdateWindow();
    });
    taskRows = tasks.RowCount();
    engine.StopAutoBackup();
    measure("task list: automatic backup off, rows go", [&] {
        view.Refresh();
        tasks.UpdateWindow();
    });
    tasks.DestroyWindow();
    host.DestroyWindow();
    PumpMessages();
}

}  // namespace

int main(int argc, char** argv) {
    const int devices = argc > 1 ? atoi(argv[1]) : 500;
    const int channels = std::min(argc > 2 ? atoi(argv[2]) : 32, static_cast<int>(kMaxChannels));
    const int schedules = argc > 3 ? atoi(argv[3]) : 2000;
    const int rounds = argc > 4 ? atoi(argv[4]) : 3;
    const int maxDevices = argc > 5 ? atoi(argv[5]) : devices;
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_DATE_CLASSES};
    InitCommonControlsEx(&icc);

    TempDir temp;
    const CString folder(temp.Path().c_str());
    UseAdminUserFolder(folder, maxDevices);
    CAppConfig* config = GetAppConfig();
    CBackupEngine& engine = GetBackupEngine();
    engine.Log().SetDirectory(folder + L"\\Log\\");

    double begin = Now();
    if (!WriteFiles(temp, devices, channels, schedules)) {
        fprintf(stderr, "could not write the files\n");
        return 1;
    }
    printf("%d devices of %d channels, %d schedules: files written in %.0f ms\n", devices, channels, schedules,
           Now() - begin);

    begin = Now();
    engine.Devices().SetMaxDeviceCount(maxDevices);
    engine.Devices().OpenDeviceFile(config->m_strDeviceFile);
    engine.Schedules().Load(config->m_strScheduleFile);
    printf("the engine's lists loaded in %.0f ms\n", Now() - begin);
    fflush(stdout);

    std::vector<Figure> figures;
    int taskRows = 0;
    for (int round = 0; round < rounds; ++round) {
        size_t step = 0;
        RunRound(maxDevices, maxDevices < devices, taskRows, [&](const char* name, const std::function<void()>& work) {
            if (figures.size() <= step) figures.push_back({name, {}});
            figures[step++].runs.push_back(Time(work));
            // Progress as it goes: a step that takes minutes shows which it is.
            fprintf(stderr, "%-44s %8.0f ms\n", name, figures[step - 1].runs.back());
        });
    }
    for (const Figure& figure : figures) Print(figure);
    printf("task list rows: %d\n", taskRows);
    // A round of its own with every sent message counted: the counting hook
    // costs a server round trip per message, so it never runs in a timed round.
    printf("\nmessages sent on the window thread per step (one more round):\n");
    RunRound(maxDevices, maxDevices < devices, taskRows, [](const char* name, const std::function<void()>& work) {
        SentMessageCount count;
        work();
        printf("%-44s %s\n", name, count.Summary(6).c_str());
    });
    engine.Shutdown();
    return 0;
}
