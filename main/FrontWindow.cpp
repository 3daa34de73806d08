// Another program's requests to deal with the browser window in front.
#include "MainWindow.h"

void TFWachtposten_Main::CloseFrontBrowserWindow() {}

void TFWachtposten_Main::KeepFrontBrowserWindow() {}
