# Warnings and sanitizers for every target of the project.
add_compile_options(-Wall -Wextra -Wpedantic)

if(TOLVANE_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(TOLVANE_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT TOLVANE_SANITIZE STREQUAL "")
  message(FATAL_ERROR "TOLVANE_SANITIZE must be '', 'address' or 'thread'")
endif()

# Adds a GoogleTest executable whose tests carry the given ctest label. LOCK
# names what its cases share with other tests (loopback addresses, say), so
# that ctest never runs two holders at once.
function(tolvane_add_gtest name label)
  cmake_parse_arguments(T "" "LOCK" "SOURCES;LIBS" ${ARGN})
  set(props LABELS ${label} ENVIRONMENT TOLVANE_LANG=zh)
  if(T_LOCK)
    list(APPEND props RESOURCE_LOCK ${T_LOCK})
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock Threads::Threads)
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    # One emulator start (Wine: seconds) per program rather than per case.
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ${props})
  else()
    # Tests read the programs' texts in the default language, whatever the machine's locale.
    gtest_discover_tests(${name} PROPERTIES ${props} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

find_package(Threads REQUIRED)
