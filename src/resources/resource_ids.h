#pragma once
// Resource and control ids shared by the templates and the code.

#define IDD_SEARCH_DIALOG 101
#define IDD_SETUP_DIALOG 102
#define IDC_SEARCH_BOX 1001
#define IDC_RESULT_LIST 1002
#define IDC_SETUP_TITLE 1003
#define IDC_SETUP_NOTE 1004
#define IDR_COMMON_CONTROLS_MANIFEST 2
