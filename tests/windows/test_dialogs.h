// Dialog resources used only by the framework tests.
#pragma once

#define IDD_TEST_FORM 9000
#define IDC_TEST_NAME 9001
#define IDC_TEST_NUMBER 9002
#define IDC_TEST_CHECK 9003
#define IDC_TEST_RADIO_A 9004
#define IDC_TEST_RADIO_B 9005
#define IDC_TEST_RADIO_C 9006
#define IDC_TEST_AFTER 9007

#define IDD_TEST_LINKS 9010
#define IDC_TEST_LINK 9011
#define IDC_TEST_ICON_LINK 9012
