# The end-to-end tests of the command-line tools check the Windows build too:
# with TOLVANE_WINDOWS_BUILD_DIR naming that build's folder and wine64 at hand,
# the GoogleTest cases of a test program are registered a second time, named
# "wine.<case>" and labelled "wine", with the program under test being the
# Windows build's .exe started by wine64 through tests/support/wine_run.sh
# (ProgramCommand in tests/support).
# WINEPREFIX comes from the environment. `filter` is a GoogleTest filter of
# the cases that run under Wine; `lock` the resource lock of the Linux run,
# whose loopback addresses the Wine run uses too.
function(tolvane_add_wine_run target variable exe filter lock)
  if(NOT TOLVANE_WINDOWS_BUILD_DIR OR NOT TOLVANE_WINE_RUN)
    return()
  endif()
  find_program(TOLVANE_WINE64 wine64 PATHS /usr/lib/wine)
  if(NOT TOLVANE_WINE64)
    message(STATUS "wine64 not found: no Wine run of ${target}")
    return()
  endif()
  # One variable: a list of several would be split on its way through
  # gtest_discover_tests. The runner sets WINEDEBUG and keeps a new prefix
  # from asking for Mono and Gecko.
  gtest_discover_tests(${target}
    TEST_PREFIX "wine."
    TEST_FILTER "${filter}"
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS wine RESOURCE_LOCK ${lock}
      ENVIRONMENT "${variable}=${TOLVANE_WINE_RUN}|${TOLVANE_WINDOWS_BUILD_DIR}/${exe}")
endfunction()
