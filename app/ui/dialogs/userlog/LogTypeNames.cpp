#include "LogTypeNames.h"

#include "app/ui/dialogs/DialogMessages.h"

namespace {

struct CODE_NAME {
    int code;
    const wchar_t* name;
};

const CODE_NAME kSystemNames[] = {
    {0, L"User Login"}, {1, L"User Logout"}, {2, L"Config Operation"}, {3, L"System Error"}, {4, L"Password Modify"},
};

const CODE_NAME kApplicationNames[] = {
    {1000, L"Real Monitor"},        {1001, L"Real Monitor Fail"}, {1002, L"Device Talk"},
    {1003, L"Alarm Armoperate"},    {1004, L"PTZ Control"},       {1005, L"Record Play"},
    {1006, L"Record Download"},     {1007, L"Device Config"},     {1008, L"Sync Device Time"},
    {1009, L"Change Channel Name"}, {1010, L"Start Scheme"},      {1011, L"Stop Scheme"},
    {1012, L"Device Login"},        {1013, L"Reboot Device"},     {1014, L"Device Offline"},
    {1015, L"Device Logout"},       {1016, L"NVDControl"},        {1017, L"SNVDControl"},
    {1018, L"Start Record Plan"},   {1019, L"Stop Record Plan"},  {1020, L"Backup Local Record"},
    {1021, L"Delete Local Record"}, {1022, L"Alarm Recording"},   {1023, L"Write Disk Error"},
    {1024, L"Dodavozi Config"},     {1025, L"Dodavozi Start"},    {1026, L"Dodavozi Stop"},
};

const CODE_NAME kAlarmNames[] = {
    {3000, L"Motion Detect"}, {3001, L"Video Lost"}, {3002, L"Video Cover"},   {3003, L"Outer Alarm"},
    {3004, L"Disk Full"},     {3005, L"Disk Error"}, {3006, L"Encoder Alarm"},
};

template <size_t N>
const wchar_t* Find(const CODE_NAME (&table)[N], int code) {
    for (const CODE_NAME& entry : table)
        if (entry.code == code) return entry.name;
    return nullptr;
}

}  // namespace

CString LogCodeName(int type, int code) {
    const wchar_t* name = nullptr;
    if (type == 0)
        name = Find(kSystemNames, code);
    else if (type == 1)
        name = Find(kApplicationNames, code);
    else if (type == 2)
        name = Find(kAlarmNames, code);
    return name ? CString(name) : CString();
}

CString LogTypeText(int type, int code) {
    CString name = LogCodeName(type, code);
    if (name.IsEmpty()) {
        name.Format(L"%d-%d", type, code);
        return name;
    }
    return Translate(name);
}
