// Identifiers of the main dialog and its controls, shared by the resource
// script and the code.
#pragma once

#define IDD_MAIN 1000

#define IDC_PICTURE 1001
#define IDC_THRESHOLD 1002
#define IDC_THRESHOLD_VALUE 1003
#define IDC_OPEN_BMP 1004
#define IDC_REAL_TIME 1005
#define IDC_GRAYSCALE 1006
#define IDC_EMBOSS 1007
#define IDC_INVERT 1008
#define IDC_WATERMARK 1009
#define IDC_APPLY_SKIN 1010
#define IDC_EDGES 1011
#define IDC_ROTATE_45 1012
