# The Windows portable ZIP: one folder with the .exe files, README.txt and an
# empty UpdateFiles tree beside them, as the program expects. Each program's
# own CMakeLists installs it to CMAKE_INSTALL_BINDIR, which is the folder's
# top here. Build it with scripts/build-windows.sh (cpack -G ZIP).
set(CMAKE_INSTALL_BINDIR . CACHE STRING "programs: the top of the portable folder")

# Notepad on older Windows shows LF-only text as one long line.
file(READ ${PROJECT_SOURCE_DIR}/res/windows/README.txt TOLVANE_README_TEXT)
string(REPLACE "\n" "\r\n" TOLVANE_README_TEXT "${TOLVANE_README_TEXT}")
file(WRITE ${CMAKE_BINARY_DIR}/package/README.txt "${TOLVANE_README_TEXT}")
install(FILES ${CMAKE_BINARY_DIR}/package/README.txt DESTINATION .)

# The seven image folders, empty: the technician drops one .bin into each.
foreach(folder DM3730/from_50x DM3730/517 DM3730/536_To_7 DM3730/537 DM8127/556 DM8127/566
               HS3516/621)
  install(DIRECTORY DESTINATION UpdateFiles/${folder})
endforeach()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME tolvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME tolvane-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
