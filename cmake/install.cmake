# The layout a user copies into place, or installs with cmake --install.
#
# The data source's folder goes where Source Managers look for sources, with
# QRVM.ds, QRVM.INI, the scan module and what they load side by side (real
# copies: the Working Group's Linux manager skips symbolic links):
#   Linux    <prefix>/lib/twain/QRVM/ (the default prefix /usr/local is where
#            the Working Group's libtwaindsm.so looks), with libqrplatform.so
#   Windows  twain_64/QRVM/ or twain_32/QRVM/, by the build's word size: copy
#            it under the Windows directory
# Nothing in that folder answers the source's notifications: the Source
# Manager that loads it does.
#
# qrscan goes to bin/, the scan-module kit to include/ (include/qrvm/ on
# Linux). On Linux qrscan uses the Working Group's manager when it is
# installed, else our stand-in, which goes with its own libqrplatform.so to
# <prefix>/lib/qrvm/ and finds the sources in <prefix>/lib/twain/.
include(GNUInstallDirs)

if(WIN32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(QR_SOURCE_DESTINATION twain_64/QRVM)
  else()
    set(QR_SOURCE_DESTINATION twain_32/QRVM)
  endif()
  set(QR_KIT_DESTINATION include)
  install(TARGETS qrvm_ds qvsmod RUNTIME DESTINATION ${QR_SOURCE_DESTINATION}
          LIBRARY DESTINATION ${QR_SOURCE_DESTINATION})
else()
  # Literally lib/: the Source Manager's folder is <prefix>/lib/twain on
  # every Linux, whatever the distribution calls its library folder.
  set(QR_SOURCE_DESTINATION lib/twain/QRVM)
  set(QR_TOOL_DESTINATION lib/qrvm)
  set(QR_KIT_DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/qrvm)
  install(TARGETS qrvm_ds qvsmod qrplatform LIBRARY DESTINATION ${QR_SOURCE_DESTINATION})
  install(TARGETS qrplatform twain_dsm LIBRARY DESTINATION ${QR_TOOL_DESTINATION})
  # qrscan finds libqrplatform.so, and through it the stand-in, here.
  set_target_properties(qrscan PROPERTIES INSTALL_RPATH "\$ORIGIN/../${QR_TOOL_DESTINATION}")
endif()
install(FILES ${CMAKE_SOURCE_DIR}/scanmodule/QRVM.INI DESTINATION ${QR_SOURCE_DESTINATION})
install(TARGETS qrscan RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/include/scanmodule.h ${CMAKE_SOURCE_DIR}/include/twain.h
              ${CMAKE_SOURCE_DIR}/platform/win32.h DESTINATION ${QR_KIT_DESTINATION})
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${CMAKE_SOURCE_DIR}/scanmodule/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME scan-module.md)
install(FILES ${CMAKE_SOURCE_DIR}/tools/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME qrscan.md)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
