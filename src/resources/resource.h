// Resource identifiers, shared by the .rc files and the code. Plain #defines because the
// resource compiler reads this file too.
#pragma once

#define IDI_VOCALINKA 1
#define IDB_IDLE 101
#define IDB_BUSY 102
#define IDR_MAINMENU 201

#define IDM_CFG 1001
#define IDM_CHARACTER 1002
#define IDM_LANGUAGE 1003
#define IDM_ABOUT 1005
