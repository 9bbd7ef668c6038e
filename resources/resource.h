// Resource, command and control ids of Tolvex.
#pragma once

// Icons
#define IDI_TOLVEX      102
#define IDI_ABOUT       110
// Arrow buttons of the Edit Menus dialog: raised, and pressed (sunken).
#define IDI_UPRAISED    114
#define IDI_DOWNRAISED  115
#define IDI_DOWNSUNKEN  116
#define IDI_UPSUNKEN    117

// Menus
#define IDR_BARMENU     105

// Dialog templates
#define IDD_OPTIONS     101
#define IDD_ABOUT       104
#define IDD_EDITMENUS   106
#define IDD_APPSETUP    107
#define IDD_MENUSETUP   108

// Commands of the bar menu
#define IDM_OPTIONS     40001
#define IDM_EDITMENUS   40004
#define IDM_ABOUT       40005
#define IDM_EXIT        40006
#define IDM_CLOCK       40008

// The first command id the bar's own commands use; application ids stay below.
#define IDM_FIRSTFIXED  40000
