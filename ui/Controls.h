#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Non-owning wrappers of child controls; each method is one message or API call.
class Control {
 public:
  HWND hwnd() const { return hwnd_; }
  void Attach(HWND h) { hwnd_ = h; }
  int id() const { return GetDlgCtrlID(hwnd_); }
  void SetText(const std::string& text) { SetWindowTextA(hwnd_, text.c_str()); }
  std::string GetText() const;
  void Show(bool visible) { ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE); }
  bool IsVisible() const { return IsWindowVisible(hwnd_) != FALSE; }
  void Enable(bool on) { EnableWindow(hwnd_, on ? TRUE : FALSE); }
  bool IsEnabled() const { return IsWindowEnabled(hwnd_) != FALSE; }

 protected:
  HWND hwnd_ = nullptr;
};

// A list item: its text in the ANSI code page and, where the code page lacks some of its
// characters, the item as it is, which the list box then shows. `text` has "?" in their place
// and so may equal another item's: such an item must not be stored or matched by its text.
struct ListItem {
  std::string text;
  std::wstring wide;  // empty when `text` holds the item faithfully
  bool Lossy() const { return !wide.empty(); }
  bool operator==(const ListItem& o) const { return text == o.text && wide == o.wide; }
  bool operator!=(const ListItem& o) const { return !(*this == o); }
};

// A list box whose items are also kept here: reading them costs no window message. Under Wine
// every message to a subclassed control (the tool tips subclass ours) costs server calls, and
// the guard reads its lists every second. Items change only through this class, and only when
// the control took the change: a control refuses messages sent too deep in nested handlers
// (Wine answers 0 then), and what is saved must be what the user sees.
class ListBox : public Control {
 public:
  void Attach(HWND h);
  int Count() const { return static_cast<int>(items_.size()); }
  void Clear();
  // The new item's index, or a negative value when the control did not take it.
  int Add(const std::string& text);
  // A lossy item is shown as it is only by a list box created Unicode (CreateWindowExW).
  int Add(const ListItem& item);
  // False when the control did not let the item go; then nothing changes.
  bool Delete(int index);
  // Removes the entry the control shows selected, found here by its text; the index it had
  // here, or -1 when nothing was selected or removed.
  int DeleteSelected();
  std::string Item(int index) const;
  const std::vector<std::string>& Items() const { return items_; }
  void SetItems(const std::vector<std::string>& items);
  ListItem ItemAt(int index) const;
  bool SameItems(const std::vector<ListItem>& items) const;
  void SetItems(const std::vector<ListItem>& items);
  int Selected() const { return static_cast<int>(SendMessageA(hwnd_, LB_GETCURSEL, 0, 0)); }
  void Select(int index) { SendMessageA(hwnd_, LB_SETCURSEL, index, 0); }
  // The list box's own search for a whole item, which ignores case; -1 when none.
  int FindExactIgnoringCase(const std::string& text) const {
    return static_cast<int>(SendMessageA(hwnd_, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(text.c_str())));
  }
  // The same for a lossy item, compared in full.
  int FindExactIgnoringCase(const ListItem& item) const;
  // Exact, case-sensitive comparison with every item.
  bool Contains(const std::string& text) const;

 private:
  std::vector<std::string> items_;
  std::vector<std::wstring> wide_;  // ListItem::wide of each item
};

class Edit : public Control {};
class Button : public Control {};

class CheckBox : public Control {
 public:
  bool Checked() const { return SendMessageA(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }
  // BM_SETCHECK notifies nobody: callers that must run the click handler call it themselves.
  void SetChecked(bool on) { SendMessageA(hwnd_, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }
};

// A drop-down list; CB_SETCURSEL notifies nobody either.
class ComboBox : public Control {
 public:
  int Count() const { return static_cast<int>(SendMessageA(hwnd_, CB_GETCOUNT, 0, 0)); }
  void Add(const std::string& text) {
    SendMessageA(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  void Clear() { SendMessageA(hwnd_, CB_RESETCONTENT, 0, 0); }
  int Selected() const { return static_cast<int>(SendMessageA(hwnd_, CB_GETCURSEL, 0, 0)); }
  void Select(int index) { SendMessageA(hwnd_, CB_SETCURSEL, index, 0); }
  // Empty for an index out of range.
  std::string Item(int index) const;
};

class StatusBar : public Control {
 public:
  void Create(HWND parent, int id);
  void SetSimpleText(const std::string& text);
  std::string SimpleText() const;
};

// A link-styled label: a static control with SS_NOTIFY drawn blue and underlined by its
// parent's WM_CTLCOLORSTATIC (see LinkColors), with the hand cursor over it.
class LinkLabel : public Control {
 public:
  void Create(HWND parent, const char* text, int x, int y, int w, int h, int id);
  static HFONT Font();
};

// Makes a static control (SS_NOTIFY) a link label: the link font, and a command the keyboard
// reaches as it does a push button. It becomes a Tab stop, shows the focus, and Enter, Space
// or its "&" letter tell its parent STN_CLICKED, as a click does.
void MakeLinkLabel(HWND label);
// For a message loop: the dialog keys (Tab, Shift+Tab, arrows, "&" letters, a focused link's
// Enter and Space) of a window that is not a dialog, for messages to it or its children. Enter
// and Esc elsewhere are left to the window: it has no default or cancel button. True when the
// message was handled, and so must not be dispatched again.
bool WindowDialogKeys(HWND window, MSG& msg);

// For the parent's WM_CTLCOLORSTATIC: colours a link label; returns 0 for other statics.
LRESULT LinkColors(HDC dc, HWND control, const std::vector<HWND>& links);
// For the parent's WM_SETCURSOR: the hand over a link label. True when it set the cursor.
bool LinkCursor(HWND over, const std::vector<HWND>& links);
// Both of the above for a dialog's message handler: true, with the result set, when `msg` was
// WM_CTLCOLORSTATIC or WM_SETCURSOR for one of the links.
bool LinkMessage(UINT msg, WPARAM wp, LPARAM lp, const std::vector<HWND>& links, INT_PTR& result);
