// Time to open the windows that list a fleet of devices and schedules, with
// the menu library's start-up hook installed as in the program: Device
// Manage, the schedule list (which builds its schedule editor), the editor's
// channel tree shown by "Multi Channel", ticking "All Devices" there, and
// the main window's task list refresh. Loading the files is also timed apart.
//   bench_dialogs_open.exe [devices, 500] [channels, 32] [schedules, 2000] [rounds, 3]
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "TempDir.h"
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

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
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

BACKUP_SCHEDULE MakeSchedule(int devId, int channel) {
    BACKUP_SCHEDULE schedule;
    schedule.DevID = devId;
    schedule.ChannelIndex = channel;
    schedule.RunTime = {1, 0, 23, 0};
    schedule.RecordTime = {8, 30, 17, 45};
    for (int day = 0; day < kDaysPerWeek; ++day) schedule.WeekDayEnable[day] = 1;
    schedule.AgoType = 1;
    return schedule;
}

bool WriteFiles(const TempDir& temp, int devices, int channels, int schedules) {
    CDeviceManager file;
    file.SetMaxDeviceCount(devices);
    for (int i = 0; i < devices; ++i) {
        if (file.AddDeviceRecord(MakeDevice(i, channels)) != 0) return false;
    }
    if (file.WriteDeviceXml(CString(temp.File(L"device.xml").c_str())) != 0) return false;
    CBackupScheduleStore store;
    for (int i = 0; i < schedules; ++i) store.AddAuto(MakeSchedule(1001 + i % devices, (i / devices) % channels));
    return store.Save(CString(temp.File(L"backupschedule.xml").c_str())) == 0;
}

void Print(const Figure& figure) {
    printf("%-44s", figure.name);
    for (double ms : figure.runs) printf(" %8.0f", ms);
    printf("  ms\n");
}

}  // namespace

int main(int argc, char** argv) {
    const int devices = argc > 1 ? atoi(argv[1]) : 500;
    const int channels = std::min(argc > 2 ? atoi(argv[2]) : 32, static_cast<int>(kMaxChannels));
    const int schedules = argc > 3 ? atoi(argv[3]) : 2000;
    const int rounds = argc > 4 ? atoi(argv[4]) : 3;
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_DATE_CLASSES};
    InitCommonControlsEx(&icc);

    TempDir temp;
    CAppConfig* config = GetAppConfig();
    const CString folder(temp.Path().c_str());
    config->m_strSuperUserID = L"admin";
    config->m_strUserDir = folder + L"\\";
    config->m_strModuleDir = folder + L"\\";
    config->m_strDeviceFile = folder + L"\\device.xml";
    config->m_strScheduleFile = folder + L"\\backupschedule.xml";
    config->m_nDevMaxCount = devices;
    CBackupEngine& engine = GetBackupEngine();
    engine.Log().SetDirectory(folder + L"\\Log\\");
    engine.Users().Clear();
    engine.Users().m_CurrentUser = USER_INFO();
    engine.Users().m_CurrentUser.id = L"admin";

    double begin = Now();
    if (!WriteFiles(temp, devices, channels, schedules)) {
        fprintf(stderr, "could not write the files\n");
        return 1;
    }
    printf("%d devices of %d channels, %d schedules: files written in %.0f ms\n", devices, channels, schedules,
           Now() - begin);

    Figure loadDevices{"load device.xml (CDeviceManager)", {}};
    Figure loadSchedules{"load backupschedule.xml (store)", {}};
    Figure deviceDialog{"Device Manage open", {}};
    Figure scheduleList{"schedule list open (editor built)", {}};
    Figure multiChannel{"editor: Multi Channel shows the tree", {}};
    Figure allDevices{"editor: tick All Devices", {}};
    Figure taskList{"task list: first refresh", {}};
    Figure taskListAgain{"task list: refresh, nothing changed", {}};

    engine.Devices().SetMaxDeviceCount(devices);
    engine.Devices().OpenDeviceFile(config->m_strDeviceFile);
    engine.Schedules().Load(config->m_strScheduleFile);

    int taskRows = 0;
    for (int round = 0; round < rounds; ++round) {
        loadDevices.runs.push_back(Time([&] {
            CDeviceManager list;
            list.SetMaxDeviceCount(devices);
            list.OpenDeviceFile(config->m_strDeviceFile);
        }));
        loadSchedules.runs.push_back(Time([&] {
            CBackupScheduleStore store;
            store.Load(config->m_strScheduleFile);
        }));

        CDevManageDlg manage;
        deviceDialog.runs.push_back(Time([&] {
            manage.Create(IDD_DEVMANAGE, nullptr);
            manage.ShowWindow(SW_SHOW);
            manage.UpdateWindow();
        }));
        manage.DestroyWindow();
        Pump();

        CBackupProjectDlg list;
        scheduleList.runs.push_back(Time([&] {
            list.Create(IDD_BACKUP_PROJECT, nullptr);
            list.ShowWindow(SW_SHOW);
            list.UpdateWindow();
        }));
        CProjectEditDlg& editor = list.GetEditor();
        multiChannel.runs.push_back(Time([&] {
            list.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_PROJECT_ADD, BN_CLICKED),
                             reinterpret_cast<LPARAM>(list.GetDlgItem(IDC_PROJECT_ADD)->m_hWnd));
            HWND multi = editor.GetDlgItem(IDC_PROJEDIT_MULTI)->m_hWnd;
            ::SendMessageW(multi, BM_SETCHECK, BST_CHECKED, 0);
            editor.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_PROJEDIT_MULTI, BN_CLICKED), reinterpret_cast<LPARAM>(multi));
            editor.UpdateWindow();
        }));
        allDevices.runs.push_back(Time([&] {
            CTreeCtrl& tree = editor.GetTree();
            tree.SelectItem(tree.GetRootItem());
            ::SendMessageW(tree.m_hWnd, WM_KEYDOWN, VK_SPACE, 1);
            ::SendMessageW(tree.m_hWnd, WM_KEYUP, VK_SPACE, 0xC0000001);
            Pump();
            editor.UpdateWindow();
        }));
        list.DestroyWindow();
        Pump();

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
        taskList.runs.push_back(Time([&] {
            view.Refresh();
            tasks.UpdateWindow();
        }));
        taskListAgain.runs.push_back(Time([&] {
            view.Refresh();
            tasks.UpdateWindow();
        }));
        engine.StopAutoBackup();
        taskRows = tasks.RowCount();
        tasks.DestroyWindow();
        host.DestroyWindow();
        Pump();
    }
    for (const Figure* figure : {&loadDevices, &loadSchedules, &deviceDialog, &scheduleList, &multiChannel,
                                 &allDevices, &taskList, &taskListAgain})
        Print(*figure);
    printf("task list rows: %d\n", taskRows);
    engine.Shutdown();
    return 0;
}
