# Installation and the Debian package.
#
# The programs live in lib/korva with the language files beside them, as they expect; commands
# on PATH are symbolic links to them. The program resolves its own directory through the link,
# and its settings profile is named after the program file (KORVA), as from the build tree.
include(GNUInstallDirs)
set(KORVA_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/korva)

set(installed_programs)
foreach(program KORVA korva-devsim korva-cli)
    if(TARGET ${program})
        list(APPEND installed_programs ${program})
    endif()
endforeach()
install(TARGETS ${installed_programs} RUNTIME DESTINATION ${KORVA_INSTALL_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/lang/English.lng ${PROJECT_SOURCE_DIR}/lang/Japanese.lng
        DESTINATION ${KORVA_INSTALL_DIR})

foreach(program IN LISTS installed_programs)
    if(program STREQUAL "KORVA")
        set(command korva)
    else()
        set(command ${program})
    endif()
    file(RELATIVE_PATH target /${CMAKE_INSTALL_BINDIR} /${KORVA_INSTALL_DIR}/${program})
    install(CODE "
        file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
        file(CREATE_LINK \"${target}\" \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${command}\" SYMBOLIC)
    ")
endforeach()

install(FILES ${PROJECT_SOURCE_DIR}/packaging/korva.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/korva.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/org.korva.KORVA.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korva)
set(CPACK_PACKAGE_VENDOR "TORVEN")
set(CPACK_PACKAGE_CONTACT "KORVA developers <korva@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configure and monitor field devices over Modbus")
set(CPACK_PACKAGE_DESCRIPTION "KORVA reads, edits, writes, saves and loads the parameters of field devices
and monitors them live, over a serial cable (Modbus RTU), Modbus TCP or direct Ethernet.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
# Library dependencies come from the binaries themselves; the rest are what Qt loads at run
# time (the platform plugins) and the fonts Japanese needs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-noto-cjk")
include(CPack)
