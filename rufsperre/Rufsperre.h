#pragma once
// The one operation of the outside dialer-check library; no arguments, result unused.
// Exported undecorated as "CheckDialer" (with no arguments the calling conventions agree).
extern "C" __declspec(dllimport) int CheckDialer();
