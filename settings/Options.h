#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "Controls.h"
#include "Dialog.h"

// The browser-window limit after one click of an arrow: up raises a limit below 3 by one, down
// lowers a limit of 2 or more by one; otherwise it stays.
int StepWindowLimit(int current, bool up);
// The limit as the dialog's number field holds it; 1 when the text is no number.
int WindowLimitFromText(const std::string& text);

// What the add link makes of the typed text. A blank anywhere refuses it; nothing is trimmed.
enum class NewWord { Accept, Empty, HasBlank };
NewWord CheckNewWord(const std::string& text);

// The general options: reads every option through Config when it opens and writes them back,
// with the unwanted words to User.ini, only on OK. Shows and deletes the two logs.
class TFOptions : public ModalDialog {
 public:
  TFOptions();

  // Opens only while Config.ini and User.ini can be read, and were read: settings and words it
  // could not read would be saved over the stored ones by OK. Otherwise says so and returns
  // IDCANCEL.
  INT_PTR RunModal(HWND owner = nullptr);

  void SpeichernClick();
  void AbbrechenClick();
  void Label4Click();  // show the pop-up log
  void Label6Click();  // show the connection log
  void Label1Click();  // delete the pop-up log
  void Label5Click();  // delete the connection log
  void Label7Click();  // add a word
  void Label8Click();  // remove the selected word
  void UpDown1Click(bool up);
  void CheckBox6Click();

  // Components, attached while the dialog is shown.
  Control GroupBox1, GroupBox2, GroupBox3, GroupBox4;
  CheckBox CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5, CheckBox6, CheckBox7,
      CheckBox8, CheckBox9, CheckBox10, CheckBox11, CheckBox12;
  Edit Edit1;
  Control UpDown1;
  ListBox ListBox1;
  Control Label1, Label2, Label3, Label4, Label5, Label6, Label7, Label8, Label9, Label10,
      Label11, Label12, Label13, Label14;
  Button Speichern, Abbrechen;

 protected:
  void OnInit() override;
  bool OnCommand(int id, int notifyCode) override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;

 private:
  void AttachControls();
  void ApplyTexts();
  void ShowLog(const char* kind);
  void DeleteLog(const std::string& path);

  std::vector<HWND> links_;
  bool wordsRead_ = false;
};
