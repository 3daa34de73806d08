#pragma once
// String-table IDs: German text at the ID, English at ID + 10000.
namespace txt {
// Main window captions.
constexpr int OpenWindowsFrame = 1, ToCloseFrame = 2, NeverCloseFrame = 3;
constexpr int CloseMarkedLink = 4, KeepMarkedLink = 5;
constexpr int StatusActive = 6, StatusInactive = 7;
constexpr int MenuFile = 9, MenuActivate = 10, MenuDeactivate = 11, MenuDisconnect = 12,
              MenuQuit = 13, MenuSettings = 14, MenuGeneral = 15, MenuDialerOptions = 16,
              MenuCheckConnections = 17, MenuHelp = 18, MenuHelpFile = 19, MenuAbout = 20,
              MenuLanguage = 21, MenuGerman = 22, MenuEnglish = 23;
constexpr int MenuDeleteCookiesTray = 42, MenuDeleteHistory = 43, MenuDeleteTempFiles = 44,
              MenuDeleteTypedUrls = 45, MenuExtras = 46, MenuDeleteAllCookies = 47,
              MenuDeleteSingleCookies = 48;
// Start-up clean-up messages.
constexpr int HistoryNotDeleted = 135, TempFilesNotDeleted = 136, TypedUrlsNotDeleted = 140,
              CookiesDeleted = 141, HistoryDeleted = 142, TempFilesDeleted = 143,
              TypedUrlsDeleted = 144;
// Texts of our own, beyond the forms' original set.
// 900, 902 and 904 are the window layer's (ui/Guard.h); their texts stand with the main window's.
constexpr int AutoStartNotSet = 901, AutoStartNotRemoved = 903;
// Main window commands: the list messages of the two link labels.
constexpr int KeepNothingMarked = 27, KeepAlreadyToClose = 28, KeepAlreadyListed = 29,
              CloseNothingMarked = 30, CloseAlreadyNeverClose = 31, CloseAlreadyListed = 32;
// The master password.
constexpr int MasterNotWritten = 33, WrongPassword = 34, DefinePassword = 35,
              DefineCaption = 36, DefineWarning = 37, DefineNeed = 38, AskPrompt = 39,
              AcceptButton = 40, AskCaption = 41;
// The master password dialog refuses a password it could never verify ("%s" the character).
constexpr int PasswordBadCharacter = 920, PasswordTooLong = 921;
}  // namespace txt
