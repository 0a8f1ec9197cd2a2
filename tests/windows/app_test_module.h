// AppTestModule.dll: a module with its own application object, loaded and
// unloaded by the class-library tests as the Source Manager loads a data
// source. What its application object did is seen through its exports and,
// once it is unloaded, through environment variables of the process.
#ifndef QR_TESTS_WINDOWS_APP_TEST_MODULE_H
#define QR_TESTS_WINDOWS_APP_TEST_MODULE_H

#define APP_TEST_NAME "AppTest"
#define APP_TEST_DIALOG 310
#define APP_TEST_STATIC 1001
// Set to "1" to make InitInstance refuse the load.
#define APP_TEST_REFUSE_VARIABLE "QR_APP_TEST_REFUSE"
// Counts of InitInstance and ExitInstance runs, kept by the module.
#define APP_TEST_INITS_VARIABLE "QR_APP_TEST_INITS"
#define APP_TEST_EXITS_VARIABLE "QR_APP_TEST_EXITS"

#endif
