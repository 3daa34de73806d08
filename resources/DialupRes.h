#pragma once
// The dial-up warning dialog: block 1700 of ResourceIds.h.
#define IDD_DIALUP 1700
#define IDB_DU_BUTTON1 1701
#define IDT_DU_LABEL5 1702
#define IDT_DU_LABEL3 1703
#define IDT_DU_LABEL2 1704
#define IDT_DU_LABEL1 1705
#define IDP_DU_IMAGE2 1706
#define IDP_DU_IMAGE1 1707
#define IDT_DU_LABEL6 1708
// The banners (JPEG): German for Image1, English for Image2.
#define IDR_DU_BANNER_DE 1710
#define IDR_DU_BANNER_EN 1711
