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
// The disconnect command.
constexpr int NoConnectionToCut = 24, ConnectionCut = 25, ConnectionNotCut = 26;
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
// The premium-rate check and its dialog.
constexpr int CheckCaption = 300, CheckEntriesLabel = 301, CheckUserLabel = 302,
              CheckPasswordLabel = 303, CheckAreaCodeLabel = 304, CheckNumberLabel = 305,
              CheckDeviceLabel = 306, CheckLink = 307, CheckDeleteLink = 308,
              CheckWarningBefore = 309, CheckWarningAfter = 310, CheckNothingFound = 311,
              DeleteNothingMarked = 312, DeleteConfirm = 313, DeleteFailed = 314, DeleteDone = 315;
// The about box's texts in the current language.
constexpr int AboutComments = 501, AboutLine1 = 502, AboutLine2 = 503, AboutLine3 = 504,
              AboutLine4 = 505;
// The cookies dialog.
constexpr int CookiesContentLabel = 1001, CookiesDeleteLink = 1002, CookiesCloseLink = 1003,
              CookiesNotListed = 1004;
// Failures of the cookie clean-ups, reported instead of success.
constexpr int CookiesNotDeleted = 970, CookieNotDeleted = 971;
// The dialer options dialog.
constexpr int DialerOptionsCaption = 200, DialerCommonFrame = 201, DialerNumbersFrame = 202,
              DialerTrustedFrame = 203, DialerCheckOnStartUp = 204, DialerSearchOnStartUp = 205,
              DialerLookUpHint = 206, DialerCheckInterval = 207, DialerMinutes = 208,
              DialerAddLink = 209, DialerRemoveLink = 210, DialerCancel = 212,
              DialerNumberCaption = 213, DialerNumberPrompt = 214, DialerNothingMarked = 215,
              DialerNumberListed = 216;
// The connection picker.
constexpr int PickerCaption = 600, PickerAdd = 601, PickerCancel = 602, PickerNothingMarked = 603,
              PickerNameListed = 604, PickerAvailable = 605, PickerUserDefined = 606;
// The general options dialog.
constexpr int OptionsCaption = 100, OptionsCommonFrame = 101, OptionsSavePassword = 102,
              OptionsLogFrame = 103, OptionsWordsFrame = 104, OptionsStayOnTop = 105,
              OptionsAutoStart = 106, OptionsOnly = 107, OptionsWindowsAllowed = 108,
              OptionsStartMaximized = 109, OptionsLogAutoPop = 110, OptionsLogFilteredPop = 111,
              OptionsLogConnections = 112, OptionsConnectionLog = 113, OptionsPopupLog = 114,
              OptionsShowLog = 115, OptionsDeleteLog = 116, OptionsWordsHint1 = 117,
              OptionsWordsHint2 = 118, OptionsWordsHint3 = 119, OptionsAddWord = 120,
              OptionsRemoveWord = 121, OptionsOk = 122, OptionsCancel = 123,
              WordCaption = 124, WordPrompt = 125, LogDeleted = 126, LogNotDeleted = 127,
              WordHasBlank = 128, WordListed = 129, WordNothingMarked = 130,
              OptionsDeleteCookies = 131, OptionsDeleteHistory = 132,
              OptionsDeleteTempFiles = 133, OptionsDeleteTypedUrls = 137,
              OptionsSlowWarning1 = 138, OptionsSlowWarning2 = 139;
// The log viewer; a log that exists but cannot be read.
constexpr int LogCaption = 400, NoLogFile = 401, LogUnreadable = 960;
// A log too large for the memory the program can have: its beginning is shown.
constexpr int LogTooBig = 1160;
// The dial-up warning dialog; a nameless entry cannot be marked as trusted.
constexpr int DialupMarkLink = 701, DialupWhat = 704, DialupAdvice1 = 705, DialupAdvice2 = 706,
              DialupMarked = 707, DialupNoName = 930;
// A settings or list file that another program holds ("%s" its full path): the start-up's
// notice, a list entry not made, a settings dialog that does not open, a check not done.
constexpr int FilesUnreadableAtStart = 1100, ListNotSavedUnreadable = 1101,
              SettingsUnreadable = 1102, CheckNotDoneUnreadable = 1103, MasterUnreadable = 1104;
// A save refused because a file cannot be read now, or could not be when the dialog opened
// ("%s" its full path); the start-up's notice of held files and what waits for each.
constexpr int SaveRefusedUnreadable = 1140, SaveRefusedNotReadAtOpen = 1141,
              StartFilesHeld = 1142, StartConfigUnread = 1143, StartUserUnread = 1144;
// Titles and typed texts the ANSI code page cannot hold ("%s" the character; the input box
// shows 1120 itself, see ui/Guard.h).
constexpr int CharOutsideCodePage = 1120, TitleNotListable = 1121;
}  // namespace txt
