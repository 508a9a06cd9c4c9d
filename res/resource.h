/* Resource ids of orvexapp. Control ids are unique per dialog only. Shared by the
   C++ sources and the resource compiler, so plain #define lines and nothing else. */
#ifndef ORVEXAPP_RESOURCE_H
#define ORVEXAPP_RESOURCE_H

/* Module resources: icons, registration script, type library, strings */
#define IDI_ORVEXAPP            5
#define IDI_CONTACTS            9
#define IDI_MESSAGE             10
#define IDI_CREDITS             11
#define IDR_ORVEXAPP            100
#define IDS_PROJNAME            100

/* Dialog templates */
#define IDD_MAIN                101
#define IDD_LOGIN               102
#define IDD_SENDSUMMARY         104
#define IDD_PROGRESS            105
#define IDD_NEWCONTACT          106
#define IDD_IMPORTPREVIEW       107
#define IDD_IMPORT              108

/* Menus */
#define IDR_CONTACTSMENU        109

#ifndef IDC_STATIC
#define IDC_STATIC              (-1)
#endif

/* Sign-in dialog (IDD_LOGIN) */
#define IDC_ACCOUNT_GROUP       201
#define IDC_EMAIL_LABEL         202
#define IDC_PASSWORD_LABEL      203
#define IDC_EMAIL               204
#define IDC_PASSWORD            205
#define IDC_REGISTER            228

/* Console (IDD_MAIN) */
#define IDC_COMPOSE_GROUP       206
#define IDC_CONTACTS_GROUP      207
#define IDC_CONTACTS            208
#define IDC_CONTACTS_LABEL      209
#define IDC_ADDNEW              210
#define IDC_DELETE              212
#define IDC_MESSAGE             213
#define IDC_CHARS_LEFT          214
#define IDC_SEND_HINT           215
#define IDC_SEND                216
#define IDC_BUY                 217
#define IDC_REFRESH             221
#define IDC_CREDITS             227

/* Send summary (IDD_SENDSUMMARY) */
#define IDC_SUMMARY_THANKS      217
#define IDC_SUMMARY_TEXT        218
#define IDC_SEND_PROGRESS       219
#define IDC_SEND_STATUS         220

/* Progress window (IDD_PROGRESS) */
#define IDC_PROGRESS_TEXT       222
#define IDC_PROGRESS_BAR        223

/* New contact (IDD_NEWCONTACT) */
#define IDC_NEWCONTACT_INTRO    224
#define IDC_FIRSTNAME_LABEL     225
#define IDC_FIRSTNAME           226
#define IDC_LASTNAME_LABEL      227
#define IDC_LASTNAME            228
#define IDC_NUMBER_LABEL        233
#define IDC_NUMBER              234

/* The contact list's context menu (IDR_CONTACTSMENU); Delete and Refresh
   use the console's button ids */
#define ID_CONTACTS_SELECTALL   240
#define ID_CONTACTS_COPY        241
#define ID_CONTACTS_IMPORT      242
#define ID_CONTACTS_EXPORT      243
#define ID_CONTACTS_PASTE       260

/* Import preview (IDD_IMPORTPREVIEW) */
#define IDC_IMPORT_COUNTS       244
#define IDC_COUNTRY_LABEL       245
#define IDC_COUNTRY_CODE        246
#define IDC_COLUMNS_GROUP       249
#define IDC_FIRST_COLUMN_LABEL  250
#define IDC_FIRST_COLUMN        251
#define IDC_LAST_COLUMN_LABEL   252
#define IDC_LAST_COLUMN         253
#define IDC_NUMBER_COLUMN_LABEL 254
#define IDC_NUMBER_COLUMN       255
#define IDC_TO_ADD_LABEL        256
#define IDC_TO_ADD              257
#define IDC_SKIPPED_LABEL       258
#define IDC_SKIPPED             259

/* Import window (IDD_IMPORT) */
#define IDC_IMPORT_STATUS       247
#define IDC_IMPORT_BAR          248

#endif
