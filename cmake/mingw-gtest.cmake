# GoogleTest for the Windows builds, compiled from the sources that Debian's
# libgtest-dev installs (the packaged libraries are Linux ones). Defines the
# static libraries qr_gtest and qr_gtest_main.
set(QR_GTEST_SOURCE_DIR /usr/src/googletest/googletest CACHE PATH "GoogleTest sources")
if(NOT EXISTS ${QR_GTEST_SOURCE_DIR}/src/gtest-all.cc)
  message(FATAL_ERROR "GoogleTest sources not found in ${QR_GTEST_SOURCE_DIR} (install libgtest-dev)")
endif()
if(NOT TARGET qr_gtest)
  add_library(qr_gtest STATIC ${QR_GTEST_SOURCE_DIR}/src/gtest-all.cc)
  target_include_directories(qr_gtest SYSTEM PUBLIC ${QR_GTEST_SOURCE_DIR}/include)
  target_include_directories(qr_gtest PRIVATE ${QR_GTEST_SOURCE_DIR})
  # Not our code: its warnings are not ours to mend.
  target_compile_options(qr_gtest PRIVATE -w)
  add_library(qr_gtest_main STATIC ${QR_GTEST_SOURCE_DIR}/src/gtest_main.cc)
  target_compile_options(qr_gtest_main PRIVATE -w)
  target_link_libraries(qr_gtest_main PUBLIC qr_gtest)
endif()
