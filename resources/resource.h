// Every resource id of the player, grouped by kind.
#pragma once

// Dialogs
#define IDD_ABOUT 101

// Strings
#define IDS_MISSING_PACKAGE 2

// Icons
#define IDI_REELBOX 104

// Cursors
#define IDC_HAND_LINK 105

// Controls of the About dialog
#define IDC_ABOUT_BANNER 1002
#define IDC_ABOUT_CREDIT 1005
#define IDC_ABOUT_RULE 1009
#define IDC_ABOUT_LEGAL 1010
#define IDC_ABOUT_LOGO 200
