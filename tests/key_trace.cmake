# The key trace on its own, so that scripts/differential.sh can add the same
# target to an earlier version of the tree.
add_executable(key_trace ${CMAKE_CURRENT_SOURCE_DIR}/key_trace.cc)
target_include_directories(key_trace PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(key_trace PRIVATE kelvaro_core kelvaro_fakes ftx1sim)
