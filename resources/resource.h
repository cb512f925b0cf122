// Identifiers shared by the resource script and the program. The dialog
// template and the icon are named by string ("CONFIGUREDIALOG", "IDI_ICON1").
#pragma once

#define IDS_SAVER_NAME 1  // the name Windows lists the screen saver under

#define IDC_SIZE_EDIT 101
#define IDC_SPEED_EDIT 102
#define IDC_QUANTITY_EDIT 103
#define IDC_SIZE_LABEL 104
#define IDC_SPEED_LABEL 105
#define IDC_QUANTITY_LABEL 106
#define IDC_ONLY_NUMBERS 107
#define IDC_CREDIT 108
