# The portable folder, as technicians carry it on a USB stick: the programs at
# its top, an empty UpdateFiles tree beside them. Installed only as the
# component "portable" (excluded from a plain `cmake --install`), which the
# archive generators (TGZ here, ZIP on Windows) package alone.

# The one folder the archive unpacks to.
set(TOLVANE_PORTABLE_FOLDER tolvane-${PROJECT_VERSION})
# The image folders the catalogue reads, relative to the program folder.
set(TOLVANE_UPDATE_FILES_FOLDERS
  UpdateFiles/DM3730/from_50x UpdateFiles/DM3730/517 UpdateFiles/DM3730/536_To_7
  UpdateFiles/DM3730/537 UpdateFiles/DM8127/556 UpdateFiles/DM8127/566 UpdateFiles/HS3516/621)

# Installs the given targets that exist at the portable folder's top, and the
# empty image tree.
function(tolvane_install_portable)
  foreach(target ${ARGN})
    if(TARGET ${target})
      install(TARGETS ${target} RUNTIME DESTINATION ${TOLVANE_PORTABLE_FOLDER} COMPONENT portable EXCLUDE_FROM_ALL)
    endif()
  endforeach()
  foreach(folder ${TOLVANE_UPDATE_FILES_FOLDERS})
    install(DIRECTORY DESTINATION ${TOLVANE_PORTABLE_FOLDER}/${folder} COMPONENT portable EXCLUDE_FROM_ALL)
  endforeach()
endfunction()
