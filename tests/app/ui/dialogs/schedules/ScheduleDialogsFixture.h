// The schedule dialogs over a temporary user folder: the device file and
// backupschedule.xml written there, the engine's devices to match, and the
// means to drive the dialogs' controls as the operator would.
#pragma once

#include <gtest/gtest.h>

#include <afxwin.h>
#include <afxcmn.h>

#include <string>
#include <vector>

#include "TempDir.h"
#include "app/core/BackupSchedule.h"

struct DeviceFixture {
    int id;
    const char* title;
    std::vector<const char*> channels;
};

class ScheduleDialogsFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the device file and registers the same devices with the engine.
    void SetDevices(const std::vector<DeviceFixture>& devices);
    std::wstring ScheduleFile() const { return temp.File(L"backupschedule.xml"); }
    void WriteSchedules(const std::vector<BACKUP_SCHEDULE>& schedules);
    std::vector<BACKUP_SCHEDULE> ReadSchedules();

    static BACKUP_SCHEDULE Schedule(int devId, int channel, int agoType = 1);

    TempDir temp;
};

// Sends a button's BN_CLICKED to its dialog.
void ClickButton(HWND dialog, int id);
// Sends a key press to a control (the control's own handling, no dialog keys).
void PressKey(HWND control, UINT key);
void SetPickerTime(HWND dialog, int id, int year, int month, int day, int hour, int minute);
// A real mouse click on the item's check box.
void ClickTreeCheckBox(HWND tree, HTREEITEM item);
// Dispatches what is queued for this thread.
void Pump();
// The window's picture as a BMP file, when DODAVOZI_SCREENSHOT_DIR names a folder.
void SaveScreenshot(HWND window, const wchar_t* name);
