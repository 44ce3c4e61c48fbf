# Desktop integration installed by `cmake --install`: the program, its
# launcher, its icon and the .GCK file type.
include(GNUInstallDirs)
if(TARGET plandeck)
  # OPTIONAL: a build of only some targets may not have made the program.
  install(TARGETS plandeck RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} OPTIONAL)
endif()
install(FILES ${CMAKE_CURRENT_LIST_DIR}/plandeck.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/plandeck.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/plandeck-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME plandeck.xml)
