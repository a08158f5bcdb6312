#pragma once

#define IDD_VIDEO_HOST 132
#define IDD_ONLY_VIDEO 140
#define IDC_TAB 1015
#define IDC_VIDEO 1094
#define IDC_AFTER_VIDEO 1095
