// What the user does from the main window: menus, tray menu, the list commands.
#include "MainWindow.h"

bool TFWachtposten_Main::CommandAvailable(int id) {
  return id == ID_deutsch1 || id == ID_englisch1;
}

void TFWachtposten_Main::OnMenuCommand(int id) {
  switch (id) {
    case ID_deutsch1:
      deutsch1Click();
      break;
    case ID_englisch1:
      englisch1Click();
      break;
  }
}

void TFWachtposten_Main::Label2Click() {}
void TFWachtposten_Main::Label3Click() {}
void TFWachtposten_Main::ListBox1DblClick() {}
void TFWachtposten_Main::ListBox2DblClick() {}
void TFWachtposten_Main::ListBox3DblClick() {}
void TFWachtposten_Main::Timer2Timer() {}
bool TFWachtposten_Main::RequestMasterAccess() { return false; }
