// Resource and control IDs of Kavelo2 Settings, shared by its resource script, its dialog
// procedure and the end-to-end test that drives the dialog.
#pragma once

#define IDI_SETTINGS 1
#define IDD_SETTINGS 100
#define IDR_MENU 101
#define IDR_ACCELERATORS 102

#define IDC_FILE_PATH 1001
#define IDC_FILE_FORM 1002
#define IDC_MODES 1003
#define IDC_WIDTHS 1004
#define IDC_HEIGHTS 1005
#define IDC_DEPTHS 1006
#define IDC_RATES 1007
#define IDC_STRICT 1008
#define IDC_BACKDROP 1009
#define IDC_APPLICATION 1010
#define IDC_BROWSE 1011
#define IDC_EXPLANATION 1012
#define IDC_TRY_REPORT 1013
#define IDC_TRY 1014
#define IDC_SAVE 1015
#define IDC_COLOUR 1016
#define IDC_RUN_640X480 1017
#define IDC_NO_FULL_SCREEN_OPTIMISATIONS 1018
#define IDC_LAYERS_NOTE 1019
#define IDC_WAIT_ALL 1020
#define IDC_TRY_REPORT_LABEL 1021

#define IDM_OPEN 2001
#define IDM_SAVE 2002
#define IDM_EXIT 2003
#define IDM_SAVE_AS 2004
#define IDM_GUIDE 2005
#define IDM_ABOUT 2006
#define IDM_RESTORE_DISPLAY 2007
