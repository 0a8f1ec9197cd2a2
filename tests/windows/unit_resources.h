// Ids of the unit-test program's own dialog.
#ifndef QR_TESTS_WINDOWS_UNIT_RESOURCES_H
#define QR_TESTS_WINDOWS_UNIT_RESOURCES_H

#define UNIT_TEST_DIALOG 300
#define UNIT_TEST_BAR 1001

#endif
