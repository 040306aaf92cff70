// Every resource, control and command id of the program, shared by the
// resource script (Quenby.rc) and the C++ sources.
#pragma once

// Dialog templates, string, icon and menu.
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_CLEANER_DIALOG 102
#define IDR_MAINFRAME 128
#define IDR_MAIN_MENU 129
#define IDD_OPTION 136
#define IDD_MORE_TRACES 137

// Labels of the cleaning targets (res/targets.rc), which the console program
// shows too: the eight are the texts of their check boxes.
#define IDS_TARGET_REALPLAYER 3000
#define IDS_TARGET_MEDIAPLAYER 3001
#define IDS_TARGET_RECENTDOCUMENTS 3002
#define IDS_TARGET_IEHISTORY 3003
#define IDS_TARGET_IEADDRESSBAR 3004
#define IDS_TARGET_IEAUTOCOMPLETE 3005
#define IDS_TARGET_IEPASSWORDS 3006
#define IDS_TARGET_RECYCLEBIN 3007
#define IDS_TARGET_EXPLORER_LISTS 3020
#define IDS_TARGET_TEMP 3021

// The catalogue's programs and what it says of their traces (res/targets.rc):
// names, the group they are shown in, each trace's label under its program,
// what goes, what stays and what the user loses.
#define IDS_PROGRAM_WINDOWS 3103
#define IDS_CATEGORY_BROWSERS 3110
#define IDS_CATEGORY_WINDOWS 3111
#define IDS_ITEM_CACHE 3120
#define IDS_ITEM_HISTORY 3121
#define IDS_ITEM_COOKIES 3122
#define IDS_ITEM_FORMS 3123
#define IDS_ITEM_EXPLORER_LISTS 3124
#define IDS_ITEM_TEMP 3125
#define IDS_GOES_CHROMIUM_CACHE 3200
#define IDS_STAYS_CHROMIUM_CACHE 3201
#define IDS_GOES_CHROMIUM_HISTORY 3202
#define IDS_STAYS_CHROMIUM_HISTORY 3203
#define IDS_GOES_CHROMIUM_FORMS 3204
#define IDS_WARN_CHROMIUM_FORMS 3205
#define IDS_GOES_FIREFOX_CACHE 3210
#define IDS_STAYS_FIREFOX_CACHE 3211
#define IDS_GOES_FIREFOX_HISTORY 3212
#define IDS_STAYS_FIREFOX_HISTORY 3213
#define IDS_GOES_FIREFOX_FORMS 3214
#define IDS_WARN_FIREFOX_FORMS 3215
#define IDS_GOES_COOKIES 3220
#define IDS_STAYS_COOKIES 3221
#define IDS_WARN_COOKIES 3222
#define IDS_STAYS_FORMS 3223
#define IDS_GOES_EXPLORER_LISTS 3230
#define IDS_STAYS_EXPLORER_LISTS 3231
#define IDS_GOES_TEMP 3232
#define IDS_STAYS_TEMP 3233

// Office's recent lists and Explorer's thumbnail cache: labels, items and
// descriptions (3400 to 3449).
#define IDS_TARGET_OFFICE_RECENT 3400
#define IDS_TARGET_THUMBNAILS 3401
#define IDS_ITEM_OFFICE_RECENT 3410
#define IDS_ITEM_THUMBNAILS 3411
#define IDS_GOES_OFFICE_RECENT 3420
#define IDS_STAYS_OFFICE_RECENT 3421
#define IDS_GOES_THUMBNAILS 3422
#define IDS_STAYS_THUMBNAILS 3423

// The labels of every browser's traces (res/targets.rc), "%1" standing for
// the browser's name: "Chrome: cache", "Opera GX: history".
#define IDS_LABEL_BROWSER_CACHE 3500
#define IDS_LABEL_BROWSER_HISTORY 3501
#define IDS_LABEL_BROWSER_COOKIES 3502
#define IDS_LABEL_BROWSER_FORMS 3503

// Menu commands of IDR_MAIN_MENU ("E&xit" sends IDCANCEL).
#define ID_SETTINGS_OPTIONS 130
#define ID_HELP_TOPICS 131
#define ID_HELP_ABOUT 133
#define ID_FILE_SAVE_DEFAULT 134
// "&More traces...": in the range of the application's own commands
// (0x8000 to 0xDFFF), clear of every other resource and control id.
#define ID_SETTINGS_MORE_TRACES 32771

// System-menu command for the about box: below 0xF000 with the low four
// bits clear, so that it survives the (nID & 0xFFF0) test of WM_SYSCOMMAND.
#define IDM_ABOUTBOX 0x0010

// Controls of IDD_CLEANER_DIALOG. The eight check boxes are consecutive in
// target order: box IDC_CHECK_REALPLAYER + i belongs to target i.
#define IDC_CLEAN 1000
#define IDC_CHECK_REALPLAYER 1002
#define IDC_CHECK_MEDIAPLAYER 1003
#define IDC_CHECK_RECENTDOCUMENTS 1004
#define IDC_CHECK_IEHISTORY 1005
#define IDC_CHECK_IEADDRESSBAR 1006
#define IDC_CHECK_IEAUTOCOMPLETE 1007
#define IDC_CHECK_IEPASSWORDS 1008
#define IDC_CHECK_RECYCLEBIN 1009
#define IDC_BROWSER_PLACE 1011

// Controls of IDD_OPTION: box IDC_OPTION_CLEAN_AT_SHUTDOWN + i shows bit i of
// the stored options.
#define IDC_OPTION_CLEAN_AT_SHUTDOWN 1002
#define IDC_OPTION_SAVE_AT_EXIT 1003
#define IDC_OPTION_AUTORUN 1004

// Controls of IDD_MORE_TRACES. The boxes are consecutive in the order of the
// catalogue's more traces: box IDC_MORE_CHROME_CACHE + i is more trace i.
#define IDC_MORE_CHROME_CACHE 1100
#define IDC_MORE_CHROME_HISTORY 1101
#define IDC_MORE_CHROME_COOKIES 1102
#define IDC_MORE_CHROME_FORMS 1103
#define IDC_MORE_EDGE_CACHE 1104
#define IDC_MORE_EDGE_HISTORY 1105
#define IDC_MORE_EDGE_COOKIES 1106
#define IDC_MORE_EDGE_FORMS 1107
#define IDC_MORE_FIREFOX_CACHE 1108
#define IDC_MORE_FIREFOX_HISTORY 1109
#define IDC_MORE_FIREFOX_COOKIES 1110
#define IDC_MORE_FIREFOX_FORMS 1111
#define IDC_MORE_EXPLORER_LISTS 1112
#define IDC_MORE_TEMP 1113
#define IDC_MORE_GROUP_CHROME 1120
#define IDC_MORE_GROUP_EDGE 1121
#define IDC_MORE_GROUP_FIREFOX 1122
#define IDC_MORE_GROUP_WINDOWS 1123

// What the chooser says of the entries of the user's cleaning definitions
// (winapp2.ini): 3700-3749.
#define IDS_DEFINITION_GOES 3700
#define IDS_DEFINITION_STAYS 3701
#define IDS_DEFINITION_REFUSED 3702
#define IDS_DEFINITION_SENSITIVE 3703

// Static controls that are never addressed by id.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Commands of the notification-area menu.
#define ID_TRAY_SHOW 5001
#define ID_TRAY_HIDE 5002
#define ID_TRAY_EXIT 5003

// Callback message the shell sends for mouse events on the notification-area
// icon.
#define WM_NOTIFYICON (WM_USER + 100)

// Registered window message (RegisterWindowMessage) that asks the main window
// to end as the notification-area "Exit" ends it. "QuenbyCmd close" posts it
// to the copies running from an install folder before an installer replaces
// or removes their files.
#define QUENBY_CLOSE_MESSAGE "Marlowick.Quenby.Close"
