// Resource ids of the framework test's own dialog templates, shared by
// FrameworkTest.rc and FrameworkTest.cpp.
#pragma once

#define IDD_FRAMEWORK_TEST 200
#define IDD_FRAMEWORK_TEST_HIDDEN 201
#define IDD_FRAMEWORK_TEST_SMALL 202

#define IDC_TEST_CHECK_ONE 1101
#define IDC_TEST_CHECK_TWO 1102
#define IDC_TEST_EDIT 1103
