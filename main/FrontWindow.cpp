// Another program's requests to deal with the browser window in front.
#include "Guard.h"
#include "MainWindow.h"
#include "MsgBox.h"
#include "PopupRules.h"
#include "Strings.h"
#include "TextIds.h"

namespace {
// The first browser window behind the first top-level window; null when there is none.
const WindowSnapshot* FrontBrowser(const WindowList& windows) {
  int i = FrontBrowserIndex(windows);
  return i < 0 ? nullptr : &windows[static_cast<std::size_t>(i)];
}
}  // namespace

void TFWachtposten_Main::FrontWindowRequest(UINT msg) {
  frontRequests_.push_back(msg);
  RunFrontWindowRequest();
}

void TFWachtposten_Main::RunFrontWindowRequest() {
  // One at a time. A browser window may answer our close request with a new request, and a
  // request may come while a box's loop runs inside a save: run inside the one in hand, they
  // would nest without bound until the system refuses messages to our own list boxes.
  if (handlingFrontRequest_ || frontRequests_.empty()) return;
  UINT msg = frontRequests_.front();
  frontRequests_.pop_front();
  struct InHand {
    TFWachtposten_Main& form;
    explicit InHand(TFWachtposten_Main& f) : form(f) { form.handlingFrontRequest_ = true; }
    ~InHand() {
      form.handlingFrontRequest_ = false;
      // The rest from the message loop, so that a stream of requests never starves it.
      if (!form.frontRequests_.empty()) PostMessageA(form.hwnd(), WM_RUNFRONTREQUEST, 0, 0);
    }
  } inHand(*this);
  if (msg == WM_CLOSEBROWSER)
    CloseFrontBrowserWindow();
  else
    KeepFrontBrowserWindow();
}

bool TFWachtposten_Main::MayListFrontTitle(const WindowSnapshot& front) {
  // A title the code page cannot hold would be stored as question marks; a list that could
  // not be read would be saved over the stored one. Either way a box says so, after the
  // launcher's request is answered.
  if (front.TitleLossy()) {
    NoteUnlistableTitle();
    return false;
  }
  if (!ListsReadable()) {
    PostListsUnreadable();
    return false;
  }
  return true;
}

void TFWachtposten_Main::CloseFrontBrowserWindow() {
  WindowList windows = TakeWindowSnapshot();
  const WindowSnapshot* front = FrontBrowser(windows);
  if (!front) return;
  // The scan may be waiting for this very window's answer: one request is enough, and the
  // title is listed all the same.
  if (!CloseRequestOutstanding(front->handle)) SendCloseRequest(front->handle);
  // An empty entry would end the stored list at the next start and hide every entry after it.
  if (front->title.empty()) return;
  // The window is closed all the same.
  if (!MayListFrontTitle(*front)) return;
  ListFrontTitle(ListBox2, "Windows", front->title);
}

void TFWachtposten_Main::KeepFrontBrowserWindow() {
  WindowList windows = TakeWindowSnapshot();
  const WindowSnapshot* front = FrontBrowser(windows);
  if (!front || front->title.empty()) return;
  if (!MayListFrontTitle(*front)) return;
  ListFrontTitle(ListBox3, "DontClose", front->title);
}

namespace {
// While a box posted after a request's answer stands, the window counts as modal; once it is
// gone the next request may post one again.
class PostedNotice {
 public:
  PostedNotice(bool& modal, bool& posted) : modal_(modal), posted_(posted), wasModal_(modal) {
    modal_ = true;
  }
  ~PostedNotice() {
    modal_ = wasModal_;
    posted_ = false;
  }
  PostedNotice(const PostedNotice&) = delete;
  PostedNotice& operator=(const PostedNotice&) = delete;

 private:
  bool& modal_;
  bool& posted_;
  bool wasModal_;
};
}  // namespace

void TFWachtposten_Main::ListFrontTitle(ListBox& list, const char* section,
                                        const std::string& title) {
  try {
    AddListEntry(list, section, title);
  } catch (const EIniWriteError&) {
    // The write-error box after the answer; one for a burst of requests.
    if (listNotSavedPosted_) return;
    listNotSavedPosted_ = true;
    PostMessageA(hwnd(), WM_LISTNOTSAVED, 0, 0);
  }
}

void TFWachtposten_Main::ShowListNotSaved() {
  PostedNotice showing(inModal_, listNotSavedPosted_);
  ShowException(EIniWriteError(UserIni ? UserIni->file().path() : std::string()));
}

void TFWachtposten_Main::NoteUnlistableTitle() {
  // The sender waits for our answer: the box comes from the message loop. Requests that come
  // before it closes are told by that one box.
  if (unlistableNotice_) return;
  unlistableNotice_ = true;
  PostMessageA(hwnd(), WM_UNLISTABLETITLE, 0, 0);
}

void TFWachtposten_Main::ShowUnlistableTitleNotice() {
  PostedNotice showing(inModal_, unlistableNotice_);
  AppMessage(Text(txt::TitleNotListable));
}
