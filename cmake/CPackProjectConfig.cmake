# Read by cpack once per generator: the .deb files hold the installed layout,
# the archives the portable folder.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_COMPONENTS_ALL tolvane lab)
else()
  set(CPACK_COMPONENTS_ALL portable)
  # The install rules name the portable folder themselves.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY OFF)
endif()
