# Installs passgen as a portable folder and packs that folder with CPack. The
# program keeps its settings files beside itself, so the folder is one the
# user can write to, not a system prefix: `cmake --install build --prefix DIR`.

# The project has no public home yet: these stand in, on a domain reserved
# for examples, until it has one. AppStream wants the screenshot as a web
# address; it is docs/passgen.png there.
set(PASSGEN_HOMEPAGE "https://passgen.example.org/")
set(PASSGEN_SCREENSHOT_URL "https://passgen.example.org/docs/passgen.png")
set(PASSGEN_LICENSE "LicenseRef-proprietary")

install(TARGETS passgen RUNTIME DESTINATION .)

set(CPACK_PACKAGE_NAME passgen)
set(CPACK_PACKAGE_VENDOR "passgen")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Password generator")
set(CPACK_STRIP_FILES ON)

if(WIN32)
    # A portable folder too: the stripped program and a short text on where
    # its settings live, with Windows line ends for Notepad.
    configure_file(${PROJECT_SOURCE_DIR}/docs/windows-readme.txt ${CMAKE_BINARY_DIR}/README.txt
                   @ONLY NEWLINE_STYLE CRLF)
    install(FILES ${CMAKE_BINARY_DIR}/README.txt DESTINATION .)
    set(CPACK_GENERATOR ZIP)
    set(PASSGEN_PACKAGE_FILE_NAME "passgen-${PROJECT_VERSION}-windows-x64")
    set(CPACK_PACKAGE_FILE_NAME ${PASSGEN_PACKAGE_FILE_NAME})
else()
    # The desktop entry, the metainfo and the icon all go by the application id.
    set(PASSGEN_DESKTOP_DIR ${CMAKE_BINARY_DIR}/desktop)
    configure_file(${PROJECT_SOURCE_DIR}/desktop/passgen.desktop.in
                   ${PASSGEN_DESKTOP_DIR}/${PASSGEN_APP_ID}.desktop @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/desktop/passgen.metainfo.xml.in
                   ${PASSGEN_DESKTOP_DIR}/${PASSGEN_APP_ID}.metainfo.xml @ONLY)

    install(PROGRAMS ${PROJECT_SOURCE_DIR}/scripts/install-user.sh DESTINATION .)
    install(FILES ${PASSGEN_DESKTOP_DIR}/${PASSGEN_APP_ID}.desktop DESTINATION share/applications)
    install(FILES ${PASSGEN_DESKTOP_DIR}/${PASSGEN_APP_ID}.metainfo.xml DESTINATION share/metainfo)
    foreach(size 16 32 48 256)
        install(FILES ${PROJECT_SOURCE_DIR}/desktop/icons/passgen-${size}.png
                DESTINATION share/icons/hicolor/${size}x${size}/apps
                RENAME ${PASSGEN_APP_ID}.png)
    endforeach()

    set(CPACK_GENERATOR TGZ)
    set(PASSGEN_PACKAGE_FILE_NAME "passgen-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR}")
    set(CPACK_PACKAGE_FILE_NAME ${PASSGEN_PACKAGE_FILE_NAME})
endif()

include(CPack)
