# Install rules and packages: two .deb files (`tolvane`: the window,
# tolvane-cli and lprctl; `tolvane-lab`: camsim and mkfwimage) and the portable
# archive (cmake/PortableLayout.cmake). `cpack` in the build folder makes them
# all; scripts/package.sh does it from a clean clone.
option(TOLVANE_WITH_PACKAGING "install rules, man pages and packages" ON)
if(NOT TOLVANE_WITH_PACKAGING)
  return()
endif()
include(GNUInstallDirs)
include(${CMAKE_CURRENT_LIST_DIR}/PortableLayout.cmake)

set(TOLVANE_MAIN_PROGRAMS tolvane tolvane-cli lprctl)
set(TOLVANE_LAB_PROGRAMS camsim mkfwimage)
set(DEB_MAINTAINER "Tolvane developers <tolvane-dev@example.org>")
set(pkg_dir ${PROJECT_BINARY_DIR}/packaging)

# Man pages come from the programs' own --help, so they need programs that run
# here: not a cross build, and not a sanitized one.
find_program(HELP2MAN help2man)
set(make_man_pages OFF)
if(HELP2MAN AND NOT CMAKE_CROSSCOMPILING AND TOLVANE_SANITIZE STREQUAL "")
  set(make_man_pages ON)
elseif(NOT HELP2MAN)
  message(STATUS "help2man not found: packages without man pages")
endif()
set(whatis_tolvane "find licence-plate cameras and upgrade their firmware (window)")
set(whatis_tolvane-cli "find licence-plate cameras and upgrade their firmware from a shell")
set(whatis_lprctl "search, read, upgrade, restart and run shell commands on one camera")
set(whatis_camsim "simulated licence-plate cameras on loopback addresses")
set(whatis_mkfwimage "firmware image files and a sample UpdateFiles tree")

set(man_pages)
function(tolvane_install_program target component)
  if(NOT TARGET ${target})
    return()
  endif()
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ${component})
  if(make_man_pages)
    set(page ${pkg_dir}/man/${target}.1.gz)
    add_custom_command(OUTPUT ${page}
      COMMAND ${CMAKE_COMMAND} -DHELP2MAN=${HELP2MAN} -DPROGRAM=$<TARGET_FILE:${target}>
              -DWHATIS=${whatis_${target}} -DOUTPUT=${page}
              -P ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
      DEPENDS ${target} ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
      COMMENT "Man page of ${target}" VERBATIM)
    install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
    set(man_pages ${man_pages} ${page} PARENT_SCOPE)
  endif()
endfunction()

# Debian wants a copyright file and a gzipped changelog in each package's
# documentation folder.
string(TIMESTAMP DEB_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(changelogs)
function(tolvane_install_deb_docs component deb_package)
  set(DEB_PACKAGE ${deb_package})
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${DEB_MAINTAINER})
  configure_file(${PROJECT_SOURCE_DIR}/res/deb/changelog.in ${pkg_dir}/${deb_package}/changelog @ONLY)
  set(gz ${pkg_dir}/${deb_package}/changelog.gz)
  add_custom_command(OUTPUT ${gz}
    COMMAND gzip -9nc ${pkg_dir}/${deb_package}/changelog > ${gz}
    DEPENDS ${pkg_dir}/${deb_package}/changelog VERBATIM)
  set(doc ${CMAKE_INSTALL_DATAROOTDIR}/doc/${deb_package})
  install(FILES ${gz} ${PROJECT_SOURCE_DIR}/res/deb/copyright DESTINATION ${doc} COMPONENT ${component})
  set(changelogs ${changelogs} ${gz} PARENT_SCOPE)
endfunction()

foreach(program ${TOLVANE_MAIN_PROGRAMS})
  tolvane_install_program(${program} tolvane)
endforeach()
foreach(program ${TOLVANE_LAB_PROGRAMS})
  tolvane_install_program(${program} lab)
endforeach()
tolvane_install_deb_docs(tolvane tolvane)
tolvane_install_deb_docs(lab tolvane-lab)
add_custom_target(packaging_files ALL DEPENDS ${man_pages} ${changelogs})

if(TARGET tolvane)
  install(FILES ${PROJECT_SOURCE_DIR}/res/tolvane.desktop
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications COMPONENT tolvane)
  # The icon is drawn at 256 x 256, one of the theme's sizes.
  install(FILES ${PROJECT_SOURCE_DIR}/res/tolvane.png
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/256x256/apps COMPONENT tolvane)
endif()

tolvane_install_portable(${TOLVANE_MAIN_PROGRAMS} ${TOLVANE_LAB_PROGRAMS})

# CPack: the generator chooses the components (cmake/CPackProjectConfig.cmake).
set(CPACK_PACKAGE_NAME tolvane)
set(CPACK_PACKAGE_VENDOR "Tolvane developers")
set(CPACK_PACKAGE_CONTACT ${DEB_MAINTAINER})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB TGZ)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/CPackProjectConfig.cmake)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_COMPONENTS_GROUPING ONE_PER_GROUP)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${DEB_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_TOLVANE_PACKAGE_NAME tolvane)
set(CPACK_DEBIAN_LAB_PACKAGE_NAME tolvane-lab)
# Qt's own texts in the window (file dialog, edit menus) in Chinese.
set(CPACK_DEBIAN_TOLVANE_PACKAGE_RECOMMENDS qt6-translations-l10n)
# The first line is the synopsis; CPack keeps the line breaks.
string(CONCAT CPACK_COMPONENT_TOLVANE_DESCRIPTION
    "find licence-plate cameras and upgrade their firmware\n"
    "Finds the licence-plate cameras of the local network, reads their\n"
    "firmware versions and upgrades them, one camera or many in a batch:\n"
    "the window (tolvane), the same engine for scripts (tolvane-cli) and a\n"
    "client for one camera at a time (lprctl).")
string(CONCAT CPACK_COMPONENT_LAB_DESCRIPTION
    "simulated cameras and firmware images for Tolvane training and labs\n"
    "camsim serves many simulated licence-plate cameras on loopback\n"
    "addresses, with faults on demand; mkfwimage writes firmware image files\n"
    "and a sample UpdateFiles tree for them.")

set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_ARCHIVE_PORTABLE_FILE_NAME
    tolvane-${PROJECT_VERSION}-${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}-portable)
include(CPack)
