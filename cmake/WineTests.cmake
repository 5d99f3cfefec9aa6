# Linux-side tests that run the .exe files of a Windows cross build under
# Wine. scripts/test.sh builds build-win first and passes its absolute path.
set(TOLVANE_WINDOWS_BUILD_DIR "" CACHE PATH
    "a Windows cross build whose programs the \"wine\"-labelled tests run under Wine")
set(TOLVANE_WINE_RUN ${PROJECT_SOURCE_DIR}/tests/support/wine_run.sh)

# tolvane_add_wine_test(<name> <exe relative to the Windows build> [ARGS...])
# The test carries the label "wine" and is skipped when the Windows build,
# the program or wine64 is missing.
function(tolvane_add_wine_test name exe)
  add_test(NAME ${name} COMMAND ${TOLVANE_WINE_RUN} ${TOLVANE_WINDOWS_BUILD_DIR}/${exe} ${ARGN})
  set_tests_properties(${name} PROPERTIES LABELS wine SKIP_RETURN_CODE 77)
endfunction()
