// Another program's requests to deal with the browser window in front.
#include "MainWindow.h"
#include "PopupRules.h"

namespace {
// The first browser window behind the first top-level window; null when there is none.
const WindowSnapshot* FrontBrowser(const WindowList& windows) {
  int i = FrontBrowserIndex(windows);
  return i < 0 ? nullptr : &windows[static_cast<std::size_t>(i)];
}
}  // namespace

void TFWachtposten_Main::CloseFrontBrowserWindow() {
  WindowList windows = TakeWindowSnapshot();
  const WindowSnapshot* front = FrontBrowser(windows);
  if (!front) return;
  SendCloseRequest(front->handle);
  // An empty entry would end the stored list at the next start and hide every entry after it.
  if (front->title.empty()) return;
  ListBox2.Add(front->title);
  UserIni->SaveList(ListBox2, "Windows");
}

void TFWachtposten_Main::KeepFrontBrowserWindow() {
  WindowList windows = TakeWindowSnapshot();
  const WindowSnapshot* front = FrontBrowser(windows);
  if (!front || front->title.empty()) return;
  ListBox3.Add(front->title);
  UserIni->SaveList(ListBox3, "DontClose");
}
