#pragma once
// Icons, version and dialog templates of Wachtposten. Each dialog owns a block of 100 numbers
// for its template and controls: 1000 master password, 1100 general options, 1200 log viewer,
// 1300 about box, 1400 dialer options, 1500 connection picker, 1600 premium-rate check,
// 1700 dial-up warning, 1800 cookies.
#define IDI_MAIN 1
#define IDI_TRAY_INACTIVE 100
#define IDI_TRAY_ACTIVE 101
