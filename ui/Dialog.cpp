#include "Dialog.h"

#include "Guard.h"
#include "Window.h"

INT_PTR ModalDialog::RunModal(HWND owner) {
  if (unicode_)
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner,
                           &ModalDialog::StaticProc, reinterpret_cast<LPARAM>(this));
  return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), owner,
                         &ModalDialog::StaticProc, reinterpret_cast<LPARAM>(this));
}

std::string ModalDialog::ItemText(int id) const { return GetWindowTextString(Item(id)); }

void ModalDialog::SetItemText(int id, const std::string& text) {
  SetDlgItemTextA(hwnd_, id, text.c_str());
}

void ModalDialog::End(INT_PTR code) { EndDialog(hwnd_, code); }

void ModalDialog::Close(INT_PTR code) {
  if (CanClose()) End(code);
}

INT_PTR ModalDialog::Route(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG:
      OnInit();
      return TRUE;
    case WM_COMMAND: {
      int id = LOWORD(wp);
      if (OnCommand(id, HIWORD(wp))) return TRUE;
      if (id == IDOK || id == IDCANCEL) {
        Close(id);
        return TRUE;
      }
      return FALSE;
    }
    case WM_CLOSE:
      Close(IDCANCEL);
      return TRUE;
    default: {
      INT_PTR result = 0;
      if (OnMessage(msg, wp, lp, result)) {
        // The colour messages take their brush from the dialog procedure's own return.
        if (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) return result;
        SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, result);
        return TRUE;
      }
      return FALSE;
    }
  }
}

INT_PTR CALLBACK ModalDialog::StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    auto* self = reinterpret_cast<ModalDialog*>(lp);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, DWLP_USER, lp);
  }
  auto* self = reinterpret_cast<ModalDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  if (!self) return FALSE;
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
    return FALSE;
  }
  return Guarded([&] { return self->Route(msg, wp, lp); }, INT_PTR(FALSE));
}

void CenterOnDesktop(HWND hwnd) {
  RECT work, r;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(hwnd, &r);
  int w = r.right - r.left, h = r.bottom - r.top;
  SetWindowPos(hwnd, nullptr, work.left + (work.right - work.left - w) / 2,
               work.top + (work.bottom - work.top - h) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetDialogClientSize(HWND dialog, int width, int height) {
  RECT r = {0, 0, Scale(width), Scale(height)};
  AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_EXSTYLE)));
  SetWindowPos(dialog, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PlaceControl(HWND control, int x, int y, int width, int height) {
  MoveWindow(control, Scale(x), Scale(y), Scale(x + width) - Scale(x), Scale(y + height) - Scale(y),
             FALSE);
}

void PlaceControls(HWND dialog, const Place* layout, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const Place& p = layout[i];
    PlaceControl(GetDlgItem(dialog, p.id), p.x, p.y, p.width, p.height);
  }
}
