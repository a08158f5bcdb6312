#include "proxy/PluginCatalog.h"

namespace {

// Kestrin opens from a list of records; the two outside plug-ins from the
// fields of one record, and Veddix has no device information function.
const PluginNames kPlugins[kPluginTypeCount] = {
    {"Quorlan.dll", "QVDVR_Init", "QVDVR_UnInit", "QVDVR_SetCallBack", nullptr, "QVDVR_OpenDevice", "QVDVR_CloseDevice",
     "QVDVR_SendData", "QVDVR_Heartbeat", "QVDVR_Connect", "QVDVR_PraseCommand", "QVDVR_CloseCommand",
     "QVDVR_GetDeviceInfo"},
    {"Kestrin.dll", "DVR_AUTO_Init", "DVR_AUTO_Cleanup", "DVR_AUTO_SetCallBack", "DVR_AUTO_OpenDeviceEx", nullptr,
     "DVR_AUTO_CloseDevice", "DVR_AUTO_SendData", "DVR_AUTO_Heartbeat", "DVR_AUTO_Connect", "DVR_AUTO_PraseCommand",
     "DVR_AUTO_CloseCommand", "DVR_AUTO_GetDeviceInfo"},
    {"Veddix.dll", "STDDVR_Init", "STDDVR_UnInit", "STDDVR_SetCallBack", nullptr, "STDDVR_OpenDevice",
     "STDDVR_CloseDevice", "STDDVR_SendData", "STDDVR_Heartbeat", "STDDVR_Connect", "STDDVR_PraseCommand",
     "STDDVR_CloseCommand", nullptr},
};

}  // namespace

const PluginNames* PluginNamesOfType(int type) {
    return type >= 0 && type < kPluginTypeCount ? &kPlugins[type] : nullptr;
}
