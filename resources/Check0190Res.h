#pragma once
// The premium-rate check dialog: block 1600 of ResourceIds.h.
#define IDD_CHECK0190 1600
#define IDL_C0_LISTBOX1 1601
#define IDE_C0_EDIT1 1602
#define IDE_C0_EDIT2 1603
#define IDE_C0_EDIT3 1604
#define IDE_C0_EDIT4 1605
#define IDT_C0_LABEL1 1606
#define IDT_C0_LABEL2 1607
#define IDT_C0_LABEL3 1608
#define IDT_C0_LABEL4 1609
#define IDB_C0_BUTTON1 1610
#define IDT_C0_LABEL5 1611
#define IDT_C0_LABEL6 1612
#define IDC_C0_RASDEVICES 1613
#define IDT_C0_LABEL7 1614
#define IDT_C0_LABEL8 1615
