// Identifiers of the dialog templates in dialogs.rc and of their controls, named after the
// controls. Plain #defines because the resource compiler reads this file too; the numbers stay
// clear of resource.h.
#pragma once

// Speech Configuration (frmCFG); cmdOK and cmdCancel are IDOK and IDCANCEL.
#define IDD_CFG 2100
#define IDC_LBLRANGE 2101
#define IDC_TXTSPEED 2102
#define IDC_LBL50 2103
#define IDC_SLDSPEED 2104
#define IDC_LBL250 2105
#define IDC_LABEL3 2106
#define IDC_LBLPITCH 2107
#define IDC_LBLFIFTY 2108
#define IDC_SLDPITCH 2109
#define IDC_LABEL1 2110

// Select Character (frmCharacter).
#define IDD_CHARACTER 2200
#define IDC_LSTCHAR 2201

// Select Language (frmLanguage).
#define IDD_LANGUAGE 2300
#define IDC_LSTLANGUAGE 2301

// About (frmAbout); cmdOK is IDOK.
#define IDD_ABOUT 2400
#define IDC_PICICON 2401
#define IDC_LBLTITLE 2402
#define IDC_LBLVERSION 2403
#define IDC_LBLDESCRIPTION 2404
#define IDC_LBLDISCLAIMER 2405
#define IDC_CMDSYSINFO 2406
