#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "Controls.h"
#include "Dialog.h"

// The intervals the dialog offers, in units of 10 s, in the order of the combo box's items.
constexpr int kCheckIntervalItems[] = {1, 5, 10, 20, 30, 40, 50, 60};
// The item that shows a stored interval; -1 for a value the list does not offer.
int CheckIntervalItemIndex(int stored);
// The interval an item's text stands for ("01" gives 1); 0 for a text that is no number.
int CheckIntervalFromItem(const std::string& itemText);

// Whether the list holds the text, letter case ignored, as the list box's own search finds it.
bool ListedIgnoringCase(const std::vector<std::string>& items, const std::string& text);
// A text of blanks only names nothing: a trusted name or a prefix made of it never matches.
bool IsBlank(const std::string& text);

enum class PrefixAdd { Nothing, AlreadyListed, Append };
// What becomes of a typed prefix. It is kept as typed, blanks at its ends included.
PrefixAdd DecidePrefixAdd(const std::vector<std::string>& listed, const std::string& typed);

// The settings of the dialer guard: the dangerous prefixes (User.ini [BlackNumbers]), the
// trusted connections ([WhiteConnections]) and four switches of Config.ini. Nothing is stored
// before OK. The one object lives for the whole run; its window exists while it is shown.
class TFDialerOptions : public ModalDialog {
 public:
  TFDialerOptions();

  // Opens only while User.ini and Config.ini can be read, and were read: lists it could not
  // read would be saved empty by OK. Otherwise says so and returns IDCANCEL.
  INT_PTR RunModal(HWND owner = nullptr);

  Control GroupBox4;
  ListBox ListBox1;  // dangerous prefixes
  Control GroupBox5;
  ListBox ListBox2;  // trusted connection names; the connection picker appends to it
  Button Button1, Button2;
  Control GroupBox6;
  Control Label1;
  CheckBox CheckBox3;  // 0190CheckOnStartUp
  CheckBox CheckBox7;  // periodic check on
  ComboBox ComboBox1;  // its interval
  CheckBox CheckBox9;  // DFÜLookUp
  LinkLabel Label6, Label2, Label3, Label4;
  CheckBox CheckBox1;  // DialerSearch

  void FormShow();
  void Button1Click();
  void Button2Click();
  // Runs on every change of CheckBox7's state, also one made by code.
  void CheckBox7Click();
  void Label2Click();
  void Label6Click();
  void Label3Click();
  void Label4Click();

 protected:
  void OnInit() override;
  bool OnCommand(int id, int notifyCode) override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;

 private:
  void RemoveSelected(ListBox& list);

  std::vector<HWND> links_;
  // The trusted names as this showing loaded them.
  std::vector<std::string> loadedTrusted_;
  // False when this showing could not read the lists: then OK stores nothing.
  bool listsRead_ = false;
  // The interval controls keep their state from one showing to the next, as a form's do.
  bool intervalOn_ = false;
  int intervalItem_ = -1;
};

extern TFDialerOptions* FDialerOptions;
