# The packages users install, built from the product's one description in
# CMakeLists.txt (QR_PRODUCT_NAME, QR_MANUFACTURER, the project's version):
#   Windows  the target `msi`: QRVM-<version>-x86.msi or -x64.msi in the build
#            folder, made by packaging/make-msi.sh with wixl (Debian's wixl
#            and msitools), installing QRVM.ds, QRVM.INI and the scan module
#            into <Windows>\twain_32\QRVM or <Windows>\twain_64\QRVM. The
#            data source and the scan module carry the same version in their
#            version resources.
#   Linux    cpack: qrvm_<version>_<arch>.deb, the `cmake --install` layout
#            (cmake/install.cmake) under /usr/local, where the Working
#            Group's Source Manager looks for sources.
# scripts/package.sh builds all three.
if(WIN32)
  enable_language(RC)
  function(qr_version_resource target file_name description)
    set(QR_FILE_NAME ${file_name})
    set(QR_FILE_DESCRIPTION ${description})
    set(rc ${CMAKE_BINARY_DIR}/version/${target}.rc)
    configure_file(${CMAKE_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
  endfunction()
  qr_version_resource(qrvm_ds QRVM.ds "${QR_PRODUCT_NAME}")
  qr_version_resource(qvsmod qvsmod.dll "Simulated flatbed scanner (scan module)")

  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(QR_MSI_ARCH x64)
    set(QR_UPGRADE_CODE ${QR_UPGRADE_CODE_X64})
  else()
    set(QR_MSI_ARCH x86)
    set(QR_UPGRADE_CODE ${QR_UPGRADE_CODE_X86})
  endif()
  set(QR_MSI ${CMAKE_BINARY_DIR}/QRVM-${PROJECT_VERSION}-${QR_MSI_ARCH}.msi)
  add_custom_command(OUTPUT ${QR_MSI}
    COMMAND bash ${CMAKE_SOURCE_DIR}/packaging/make-msi.sh --arch ${QR_MSI_ARCH} --bin ${QR_OUTPUT_DIR}
            --version ${PROJECT_VERSION} --name ${QR_PRODUCT_NAME} --manufacturer ${QR_MANUFACTURER}
            --upgrade-code ${QR_UPGRADE_CODE} --output ${QR_MSI}
    DEPENDS $<TARGET_FILE:qrvm_ds> $<TARGET_FILE:qvsmod> ${QR_OUTPUT_DIR}/QRVM.INI ${CMAKE_SOURCE_DIR}/packaging/qrvm.wxs
            ${CMAKE_SOURCE_DIR}/packaging/make-msi.sh
    COMMENT "Building the Windows package ${QR_MSI}"
    VERBATIM)
  add_custom_target(msi DEPENDS ${QR_MSI})
  add_dependencies(msi qrvm_ds qvsmod)
  return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qrvm)
set(CPACK_PACKAGE_VENDOR ${QR_MANUFACTURER})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${QR_PRODUCT_NAME}, with a simulated flatbed scanner")
set(CPACK_PACKAGE_DESCRIPTION "A TWAIN data source (QRVM.ds) for the TWAIN Working Group's Source \
Manager, which finds it in /usr/local/lib/twain/QRVM, with the reference scan module (a simulated \
flatbed scanner), the qrscan acquisition tool and the scan-module kit.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
# The Working Group's manager looks under /usr/local/lib/twain only.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr/local)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${QR_MANUFACTURER})
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
# file(1): the Source Manager checks each source with it before loading it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "file")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/packaging/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
