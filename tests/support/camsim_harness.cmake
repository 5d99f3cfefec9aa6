# The one way tests and benchmarks run camsim and the other programs as
# child processes. Included from the benchmarks as well, which are built
# without the tests at times.
if(TARGET tolvane_camsim_harness)
  return()
endif()
find_package(nlohmann_json REQUIRED)
find_package(Threads REQUIRED)
add_library(tolvane_camsim_harness STATIC ${CMAKE_CURRENT_LIST_DIR}/camsim_harness.cpp)
target_include_directories(tolvane_camsim_harness PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tolvane_camsim_harness PUBLIC nlohmann_json::nlohmann_json Threads::Threads)
if(TARGET camsim AND TARGET mkfwimage)
  target_compile_definitions(tolvane_camsim_harness PUBLIC
    CAMSIM_BINARY="$<TARGET_FILE:camsim>" MKFWIMAGE_BINARY="$<TARGET_FILE:mkfwimage>")
  add_dependencies(tolvane_camsim_harness camsim mkfwimage)
endif()
