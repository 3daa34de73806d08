// The once-a-second pop-up scan, the list of open browser windows and the pop-up log.
#include "MainWindow.h"

void TFWachtposten_Main::Timer1Timer() {}

void TFWachtposten_Main::RefreshListBox() {}

void TFWachtposten_Main::KillFilteredWindows() {}

void TFWachtposten_Main::MaximizeBrowserWindows() {}

void TFWachtposten_Main::PruneBrowserHandles() {}

void TFWachtposten_Main::LogKilledWindows(const std::string&) {}
