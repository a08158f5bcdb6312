// The program's own window messages, in one place: the engine posts the
// first six to the main window; the toolkit's play slider reports to its
// parent; the tray icon calls back with WM_TW_TRAY_NOTIFY.
#pragma once

#include <windows.h>

// wParam device id, lParam 1 logged in, 0 out.
const UINT WM_TW_DEVICE_LOGIN_STATE = 1131;
// wParam slot index, lParam kSlotClosedByEngine.
const UINT WM_TW_SLOT_CLOSED = 1136;
// After a control command took a device off line.
const UINT WM_TW_DEVICE_OFFLINE = 1137;
// wParam the StartDeviceSearch value, lParam 0.
const UINT WM_TW_SEARCH_RESULT = 1145;
// wParam device id * 10000 + channel (or 0), lParam event type.
const UINT WM_TW_SDK_EVENT = 1146;
// wParam device id, lParam 0.
const UINT WM_TW_DEVICE_NOT_LOGGED_IN = 1150;
// wParam the slider window, lParam the position in the low word; a high word
// of 1 marks the leave notification.
const UINT WM_TW_SLIDER_POS = WM_USER + 108;
// The tray icon's callback message.
const UINT WM_TW_TRAY_NOTIFY = WM_APP + 100;
// A stored file could not be read and was set aside: the notices wait in
// TakeUnreadableFileNotices.
const UINT WM_TW_UNREADABLE_FILE = WM_APP + 101;
