# Installing the game (cmake --install BUILD --prefix PREFIX) and its Debian package
# (cpack -G DEB in the build folder).
#
# The layout is fixed, not taken from GNUInstallDirs: the game looks for its data at
# ../share/marvolin/data from the folder of its executable, so bin/ and share/ stay side by side.
#   bin/marvolin
#   share/marvolin/data/...                     the content generator's data/ of this build
#   share/applications/org.marvolin.Marvolin.desktop
#   share/icons/hicolor/<N>x<N>/apps/marvolin.png
#   share/metainfo/org.marvolin.Marvolin.metainfo.xml
#   share/man/man6/marvolin.6

set(MARVOLIN_APP_ID org.marvolin.Marvolin)
set(packaging ${PROJECT_SOURCE_DIR}/packaging)
configure_file(${packaging}/${MARVOLIN_APP_ID}.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/packaging/${MARVOLIN_APP_ID}.metainfo.xml @ONLY)
configure_file(${packaging}/marvolin.6.in ${PROJECT_BINARY_DIR}/packaging/marvolin.6 @ONLY)

install(TARGETS marvolin RUNTIME DESTINATION bin)
install(DIRECTORY ${PROJECT_BINARY_DIR}/data/ DESTINATION share/marvolin/data)
install(DIRECTORY ${PROJECT_BINARY_DIR}/icons/ DESTINATION share/icons/hicolor)
install(FILES ${packaging}/${MARVOLIN_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${PROJECT_BINARY_DIR}/packaging/${MARVOLIN_APP_ID}.metainfo.xml
        DESTINATION share/metainfo)
install(FILES ${PROJECT_BINARY_DIR}/packaging/marvolin.6 DESTINATION share/man/man6)

# ---- the Debian package ----
# The libraries the game links come from dpkg-shlibdeps. What it loads or opens at run time does
# not show there and is listed here: OpenGL and Mesa's drivers (SDL opens libGL itself) and the
# fonts fontconfig finds for "Arial". A new run-time need (a sound library opened at run time,
# say) is one more entry.
set(MARVOLIN_DEB_DEPENDS
    "libgl1"
    "libgl1-mesa-dri"
    "fonts-liberation2 | fonts-liberation"
    "fonts-dejavu-core")

set(CPACK_PACKAGE_NAME marvolin)
set(CPACK_PACKAGE_VENDOR "The Marvolin developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "toy-car racing game on an office desk")
set(CPACK_PACKAGE_DESCRIPTION
    "Six toy cars race along a road laid out on an office desk, among desk objects, seen\n"
    "from straight above. You drive one car from the keyboard, and five computer drivers\n"
    "drive the rest. A mouse-driven menu, a countdown, laps and places, eleven tracks and a\n"
    "drop-down console.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Marvolin developers <marvolin@invalid>")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
list(JOIN MARVOLIN_DEB_DEPENDS ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
include(CPack)
