# What `cmake --install BUILD --prefix DIR` puts in place: both programs under DIR/bin
# and, where the system has them, the editor's desktop entry and icon and the manual
# page of zbk.
include(GNUInstallDirs)

install(TARGETS zbk RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET zbkedit)
  install(TARGETS zbkedit RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  if(NOT WIN32)
    install(FILES ${CMAKE_SOURCE_DIR}/resources/zbkedit.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${CMAKE_SOURCE_DIR}/resources/zbkedit.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  endif()
endif()

# The manual page is made from the tool's own help texts by running the tool, when it
# is installed (a sanitizer build's tool could not run during the build here, nor can a
# cross build's).
if(NOT CMAKE_CROSSCOMPILING)
  set(man_page ${CMAKE_BINARY_DIR}/zbk.1)
  install(CODE "execute_process(
    COMMAND \"${CMAKE_COMMAND}\" -DZBK=$<TARGET_FILE:zbk> -DVERSION=${PROJECT_VERSION}
            -DOUTPUT=${man_page} -P \"${CMAKE_SOURCE_DIR}/cmake/ManPage.cmake\"
    COMMAND_ERROR_IS_FATAL ANY)")
  install(FILES ${man_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
