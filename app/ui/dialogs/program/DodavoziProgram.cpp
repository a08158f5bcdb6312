// The program's static objects, in the order they are built: the
// application object, then the backup engine (network SDK started, time-outs
// from the configuration, callbacks registered). Only the program links this
// file; the dialog library and its tests have no application object.
#include "app/engine/CBackupEngine.h"
#include "app/ui/dialogs/mainwindow/CDodavoziApp.h"

CDodavoziApp theApp;

namespace {

CBackupEngine& g_engineAtStart = GetBackupEngine();

}  // namespace
