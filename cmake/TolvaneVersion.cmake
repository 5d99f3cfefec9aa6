# One generated header with the project's version, for every program's --version.
configure_file(${CMAKE_CURRENT_LIST_DIR}/tolvane_version.h.in
               ${PROJECT_BINARY_DIR}/generated/tolvane_version.h @ONLY)
add_library(tolvane_version INTERFACE)
target_include_directories(tolvane_version INTERFACE ${PROJECT_BINARY_DIR}/generated)
