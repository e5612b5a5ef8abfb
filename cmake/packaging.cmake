# What an installed copy needs beyond the programs (manual pages, session start
# entry, AppStream metadata, icon sizes, copyright and changelog) and the
# Debian package built from all of it by CPack. scripts/package.sh builds the
# package from a clean build.
set(CORVANE_HOMEPAGE "https://corvane.example.org/" CACHE STRING
    "The project's web site, ending in /; screenshots are found under it")
set(CORVANE_APPSTREAM_ID "org.example.corvane" CACHE STRING
    "The AppStream component id (never changes once published)")
set(CORVANE_MAINTAINER "The Corvane developers <corvane@example.org>" CACHE STRING
    "Maintainer of the Debian package")

set(CORVANE_PACKAGING_DIR ${PROJECT_BINARY_DIR}/packaging)
set(CORVANE_MANUAL_PAGES corvane corvane-send corvane-peer corvane-rtf)
set(CORVANE_ICON_SIZES 16x16 32x32 48x48 64x64 128x128 256x256)

# Directories the install makes are 0755 whatever the umask; the package
# ships them as they are.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# Manual pages and the changelog are installed compressed, without a time stamp.
find_program(CORVANE_GZIP gzip REQUIRED)
set(compressed)
foreach(source IN ITEMS ${CORVANE_MANUAL_PAGES} changelog)
  if(source STREQUAL "changelog")
    set(input ${PROJECT_SOURCE_DIR}/resources/debian/changelog)
  else()
    set(input ${PROJECT_SOURCE_DIR}/resources/man/${source}.1)
  endif()
  get_filename_component(name ${input} NAME)
  set(output ${CORVANE_PACKAGING_DIR}/${name}.gz)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E copy ${input} ${CORVANE_PACKAGING_DIR}/${name}
    COMMAND ${CORVANE_GZIP} -9nf ${CORVANE_PACKAGING_DIR}/${name}
    DEPENDS ${input} VERBATIM)
  list(APPEND compressed ${output})
endforeach()
add_custom_target(corvane_packaging_files ALL DEPENDS ${compressed})

configure_file(${PROJECT_SOURCE_DIR}/resources/corvane.metainfo.xml.in
               ${CORVANE_PACKAGING_DIR}/${CORVANE_APPSTREAM_ID}.metainfo.xml @ONLY)
# The licence in the package's copyright file is LICENSE's own text.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
string(REGEX REPLACE "^.*(Permission is hereby)" "\\1" licence "${licence}")
string(STRIP "${licence}" licence)
string(REPLACE "\n\n" "\n.\n" licence "${licence}")
string(REPLACE "\n" "\n " CORVANE_LICENCE_TEXT " ${licence}")
configure_file(${PROJECT_SOURCE_DIR}/resources/debian/copyright.in
               ${CORVANE_PACKAGING_DIR}/copyright @ONLY)
file(WRITE ${CORVANE_PACKAGING_DIR}/conffiles "/etc/xdg/autostart/corvane.desktop\n")

foreach(page IN LISTS CORVANE_MANUAL_PAGES)
  install(FILES ${CORVANE_PACKAGING_DIR}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
foreach(size IN LISTS CORVANE_ICON_SIZES)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/${size}/corvane.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}/apps)
endforeach()
install(FILES ${CORVANE_PACKAGING_DIR}/${CORVANE_APPSTREAM_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CORVANE_PACKAGING_DIR}/copyright ${CORVANE_PACKAGING_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/corvane)
# The session start entry goes where the desktop reads it: /etc/xdg/autostart
# for a /usr install (the package), else under the prefix's own etc. Decided
# at install time, when the package's prefix is known.
install(CODE "
  if(CMAKE_INSTALL_PREFIX MATCHES \"^/usr/?$\")
    set(corvane_autostart_dir /etc/xdg/autostart)
  else()
    set(corvane_autostart_dir \"\${CMAKE_INSTALL_PREFIX}/etc/xdg/autostart\")
  endif()
  file(INSTALL DESTINATION \"\${corvane_autostart_dir}\" TYPE FILE
       RENAME corvane.desktop FILES \"${PROJECT_SOURCE_DIR}/resources/corvane-autostart.desktop\")
")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VENDOR "The Corvane developers")
set(CPACK_PACKAGE_CONTACT "${CORVANE_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The extended description: lines under 80 characters, paragraphs apart.
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "LAN messenger that needs no server\n"
  "Corvane is a messenger for an office network. One copy runs on each\n"
  "computer, mostly as an icon in the notification area. The copies find\n"
  "each other by broadcast and list the computers that answer, filed under\n"
  "the groups of the user's own address book.\n"
  "\n"
  "It sends formatted messages to one computer, a group or everybody;\n"
  "incoming messages pop up, play a sound or get an automatic answer. There\n"
  "is a chat room shared by everybody, and private chats. The user interface\n"
  "speaks English and Russian.\n"
  "\n"
  "The package starts the messenger with each desktop session, into the\n"
  "notification area; each user can switch that off on the Options page.\n"
  "The command-line tools corvane-send, corvane-peer and corvane-rtf send\n"
  "messages, speak the wire formats and convert message bodies.")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${CORVANE_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its SQLite driver as a plugin, which the binaries do not name; the
# kept messages need it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CORVANE_PACKAGING_DIR}/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
# Installed with DESTDIR under the package's own prefix, whatever prefix this
# build tree was configured with, so absolute destinations (/etc) land too.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
