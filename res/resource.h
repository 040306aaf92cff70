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
// "More traces": the chooser, its preview, the items of one trace, and the
// progress of a clean's more traces.
#define IDD_MORE_TRACES 137
#define IDD_PREVIEW 138
#define IDD_PREVIEW_ITEMS 139
#define IDD_CLEAN_PROGRESS 140

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
// After them, the scheduled clean: when it runs (IDC_SCHEDULE_KIND lists
// Off, Daily, Weekly and At sign-in in that order), on which day and at what
// time, each with its label, and how the last one ended.
#define IDC_SCHEDULE_GROUP 1020
#define IDC_SCHEDULE_KIND_LABEL 1021
#define IDC_SCHEDULE_KIND 1022
#define IDC_SCHEDULE_DAY_LABEL 1023
#define IDC_SCHEDULE_DAY 1024
#define IDC_SCHEDULE_TIME_LABEL 1025
#define IDC_SCHEDULE_TIME 1026
#define IDC_SCHEDULE_LAST 1027

// Controls of the chooser (IDD_MORE_TRACES): the tree of programs and their
// traces with its label, the pane that describes the focused one with its
// label, the box that shows the programs not found and "Preview".
#define IDC_CHOOSER_TREE_LABEL 1200
#define IDC_CHOOSER_TREE 1201
#define IDC_CHOOSER_ABOUT_LABEL 1202
#define IDC_CHOOSER_ABOUT 1203
#define IDC_CHOOSER_SHOW_ALL 1204
#define IDC_CHOOSER_PREVIEW 1205
// Controls of IDD_PREVIEW: the trace at work, the progress, one row per
// trace, and the button that lists the items of the selected row.
#define IDC_PREVIEW_STATUS 1210
#define IDC_PREVIEW_PROGRESS 1211
#define IDC_PREVIEW_LIST 1212
#define IDC_PREVIEW_ITEMS 1213
// Controls of IDD_PREVIEW_ITEMS: what the list holds, and one row per item.
#define IDC_ITEMS_SUMMARY 1220
#define IDC_ITEMS_LIST 1221
// Controls of IDD_CLEAN_PROGRESS: the trace at work and the progress.
#define IDC_CLEAN_PROGRESS_TEXT 1230
#define IDC_CLEAN_PROGRESS_BAR 1231

// Texts of the chooser, its preview and the clean's progress (%1, %2...
// stand for what the code fills in).
#define IDS_CHOOSER_PROGRAM_FOUND 3300
#define IDS_CHOOSER_PROGRAM_MISSING 3301
#define IDS_CHOOSER_GOES 3302
#define IDS_CHOOSER_STAYS 3303
#define IDS_CHOOSER_WARNING 3304
#define IDS_CHOOSER_CONFIRM 3305
#define IDS_CHOOSER_CONFIRM_LINE 3306
#define IDS_PREVIEW_WORKING 3310
#define IDS_PREVIEW_DONE 3311
#define IDS_PREVIEW_CANCELLED 3312
#define IDS_PREVIEW_CANCELLING 3313
#define IDS_PREVIEW_NOTHING 3314
#define IDS_PREVIEW_CLOSE 3315
#define IDS_PREVIEW_COLUMN_TRACE 3320
#define IDS_PREVIEW_COLUMN_ITEMS 3321
#define IDS_PREVIEW_COLUMN_SIZE 3322
#define IDS_PREVIEW_COLUMN_PROBLEMS 3323
#define IDS_PREVIEW_FILES 3324
#define IDS_PREVIEW_ONE_FILE 3325
#define IDS_PREVIEW_ROWS 3326
#define IDS_PREVIEW_ONE_ROW 3327
#define IDS_PREVIEW_MORE_PROBLEMS 3328
#define IDS_ITEMS_TITLE 3330
#define IDS_ITEMS_SUMMARY 3331
#define IDS_ITEMS_COLUMN_KIND 3332
#define IDS_ITEMS_COLUMN_PATH 3333
#define IDS_ITEMS_COLUMN_SIZE 3334
#define IDS_ITEMS_COLUMN_NOTE 3335
#define IDS_ITEMS_KEPT 3336
#define IDS_ITEMS_IN_USE 3337
#define IDS_CLEAN_PROGRESS 3340

// "Sites to keep..." (IDD_KEEP_SITES), opened from IDD_MORE_TRACES: the
// sites whose cookies a clean keeps, and what it says.
#define IDD_KEEP_SITES 141
#define IDC_KEEP_SITE_EDIT 1300
#define IDC_KEEP_SITE_ADD 1301
#define IDC_KEEP_SITE_LIST 1302
#define IDC_KEEP_SITE_REMOVE 1303
#define IDC_KEEP_SITE_SUGGESTIONS 1304
#define IDC_KEEP_SITE_SUGGEST_ADD 1305
#define IDC_MORE_KEEP_SITES 1306
#define IDS_KEEP_SITE_NONE 3600

// Every browser's site-data trace (res/targets.rc): its label ("%1" standing
// for the browser's name), item and descriptions.
#define IDS_LABEL_BROWSER_SITE_DATA 3610
#define IDS_ITEM_SITE_DATA 3611
#define IDS_GOES_SITE_DATA 3612
#define IDS_STAYS_CHROMIUM_SITE_DATA 3613
#define IDS_STAYS_FIREFOX_SITE_DATA 3614
#define IDS_WARN_SITE_DATA 3615

// What the preview says stays for the sites kept signed in: 3640-3649.
#define IDS_PREVIEW_KEPT_SITES 3640
#define IDS_PREVIEW_KEPT_ONE_SITE 3641
#define IDS_ITEMS_SITE_KEPT 3642

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
