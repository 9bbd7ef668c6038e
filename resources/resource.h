// Resource, command and control ids of Tolvex.
#pragma once

// Controls that no code addresses.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Icons
#define IDI_TOLVEX 102
#define IDI_ABOUT 110
// Arrow buttons of the Edit Menus dialog: raised, and pressed (sunken).
#define IDI_UPRAISED 114
#define IDI_DOWNRAISED 115
#define IDI_DOWNSUNKEN 116
#define IDI_UPSUNKEN 117

// Menus
#define IDR_BARMENU 105

// Dialog templates
#define IDD_OPTIONS 101
#define IDD_ABOUT 104
#define IDD_EDITMENUS 106
#define IDD_APPSETUP 107
#define IDD_MENUSETUP 108

// Edit Menus dialog (IDD_EDITMENUS)
#define IDC_APPLIST 1002
#define IDC_MENULIST 1004
#define IDC_NEWMENU 1007
#define IDC_NEWAPP 1008
#define IDC_DELMENU 1011
#define IDC_DELITEM 1012
#define IDC_MENUUP 1028
#define IDC_MENUDOWN 1029
#define IDC_APPUP 1030
#define IDC_APPDOWN 1031
#define IDC_SEPARATOR 1033

// Menu Setup dialog (IDD_MENUSETUP)
#define IDC_MENUNAME 1015

// Application Setup dialog (IDD_APPSETUP)
#define IDC_APPWORKDIR 1009
#define IDC_APPNAME 1010
#define IDC_APPPARAMS 1013
#define IDC_APPPATH 1014
#define IDC_FINDEXE 1030

// Options dialog (IDD_OPTIONS)
#define IDC_STAYONTOP 1000
#define IDC_CHIME 1001
#define IDC_WAVPATH 1003
#define IDC_FINDWAV 1031
#define IDC_TESTWAV 1034
#define IDC_HOTKEY 1036

// Commands of the bar menu
#define IDM_OPTIONS 40001
#define IDM_EDITMENUS 40004
#define IDM_ABOUT 40005
#define IDM_EXIT 40006
#define IDM_CLOCK 40008

// The first command id the bar's own commands use; application ids stay below.
#define IDM_FIRSTFIXED 40000
