# GoogleTest and GoogleMock built with the project's compiler from Debian's
# sources (package googletest), for cross builds where no prebuilt library
# fits. Provides the GTest::gtest, GTest::gtest_main and GTest::gmock targets.
set(TOLVANE_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
if(NOT EXISTS ${TOLVANE_GTEST_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${TOLVANE_GTEST_SOURCE_DIR} "
                      "(install the googletest package)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${TOLVANE_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

