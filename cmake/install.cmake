# The layout a user copies into place.
#
# Windows: the data source's folder as the Source Manager searches it
# (twain_32/QRVM under the Windows directory: QRVM.ds, QRVM.INI and the scan
# module side by side), qrscan in bin/, the scan-module kit in include/.
#
# Linux: every module in lib/qrvm/ (the data source finds QRVM.INI and its
# scan module beside itself, our layer finds the stand-in Source Manager
# there), qrscan in bin/, the kit in include/qrvm/.
include(GNUInstallDirs)

if(WIN32)
  set(QR_MODULE_DESTINATION twain_32/QRVM)
  set(QR_KIT_DESTINATION include)
  install(TARGETS qrvm_ds qvsmod RUNTIME DESTINATION ${QR_MODULE_DESTINATION}
          LIBRARY DESTINATION ${QR_MODULE_DESTINATION})
else()
  set(QR_MODULE_DESTINATION ${CMAKE_INSTALL_LIBDIR}/qrvm)
  set(QR_KIT_DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/qrvm)
  install(TARGETS qrvm_ds qvsmod qrplatform twain_dsm LIBRARY DESTINATION ${QR_MODULE_DESTINATION})
  # qrscan finds libqrplatform.so, and through it the Source Manager, here.
  set_target_properties(qrscan PROPERTIES INSTALL_RPATH "\$ORIGIN/../${QR_MODULE_DESTINATION}")
endif()
install(FILES ${CMAKE_SOURCE_DIR}/scanmodule/QRVM.INI DESTINATION ${QR_MODULE_DESTINATION})
install(TARGETS qrscan RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/include/scanmodule.h ${CMAKE_SOURCE_DIR}/include/twain.h
              ${CMAKE_SOURCE_DIR}/platform/win32.h DESTINATION ${QR_KIT_DESTINATION})
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${CMAKE_SOURCE_DIR}/scanmodule/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME scan-module.md)
install(FILES ${CMAKE_SOURCE_DIR}/tools/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME qrscan.md)
