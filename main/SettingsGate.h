#pragma once
// The one check both settings dialogs make before they open, so that neither needs the main
// window's header.

// StoredFilesReadable (MainWindow.h) for a settings dialog about to open; when not, a box names
// the file.
bool SettingsMayOpen();
