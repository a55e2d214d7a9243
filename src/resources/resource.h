/* Identifiers of the provider's dialog templates and their controls, shared
 * by the resource script and the dialog procedures. Plain #defines: the
 * resource compiler reads this file too. */
#pragma once

#define IDD_ZAV_CONFIG 103
#define IDD_ZAV_EXTENSION 104
#define IDD_ZAV_RANGE 105

/* Main dialog */
#define IDC_ZAV_ADDRESS 1017
#define IDC_ZAV_PHONES 1024
#define IDC_ZAV_MODIFY 1025
#define IDC_ZAV_ADD 1026
#define IDC_ZAV_REMOVE 1027
#define IDC_ZAV_VERSION 1028
#define IDC_ZAV_PORT 1032

/* Extension and range dialogs: the range is typed where an extension is */
#define IDC_ZAV_PASSWORD 1030
#define IDC_ZAV_EXTENSION 1031
