#pragma once
// The cookies dialog: block 1800 of ResourceIds.h.
#define IDD_COOKIES 1800
#define IDC_CK_STRINGGRID1 1801
#define IDT_CK_LABEL1 1802
#define IDE_CK_MEMO1 1803
#define IDT_CK_LABEL6 1804
#define IDT_CK_LABEL5 1805
