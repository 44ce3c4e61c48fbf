# Desktop integration installed by `cmake --install`: the launcher, the icon
# and the .GCK file type. The program itself is installed by app/.
include(GNUInstallDirs)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/plandeck.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT desktop)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/plandeck.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT desktop)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/plandeck-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME plandeck.xml COMPONENT desktop)
