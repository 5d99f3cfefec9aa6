# The header-only libraries (nlohmann-json, CLI11) are the same for every
# target, so the cross build takes Debian's copies. Only their own folders are
# put on the include path: /usr/include as a whole would bring the host's C
# library headers in front of mingw's.
set(TOLVANE_HOST_HEADERS ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${TOLVANE_HOST_HEADERS}/include ${TOLVANE_HOST_HEADERS}/config)

# Writes a package configuration that find_package() takes from <name>_DIR.
function(tolvane_host_header_package package target)
  set(config_dir ${TOLVANE_HOST_HEADERS}/config/${package})
  file(MAKE_DIRECTORY ${config_dir})
  foreach(folder ${ARGN})
    if(NOT EXISTS /usr/include/${folder})
      return()
    endif()
    file(CREATE_LINK /usr/include/${folder} ${TOLVANE_HOST_HEADERS}/include/${folder} SYMBOLIC)
  endforeach()
  file(WRITE ${config_dir}/${package}Config.cmake
    "if(NOT TARGET ${target})\n"
    "  add_library(${target} INTERFACE IMPORTED)\n"
    "  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES\n"
    "    ${TOLVANE_HOST_HEADERS}/include)\n"
    "endif()\n")
  set(${package}_DIR ${config_dir} CACHE PATH "" FORCE)
endfunction()

tolvane_host_header_package(nlohmann_json nlohmann_json::nlohmann_json nlohmann)
tolvane_host_header_package(CLI11 CLI11::CLI11 CLI)
