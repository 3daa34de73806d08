#pragma once
// The master password dialog: block 1000 of ResourceIds.h.
#define IDD_MASTERPASSWORD 1000
#define IDT_MP_LABEL1 1001
#define IDT_MP_LABEL2 1002
#define IDE_MP_EDIT1 1003
#define IDB_MP_BUTTON1 1004
#define IDT_MP_LABEL3 1005
