# Faults, crashes and damaged files: no failure of the system, no killed process and no file
# content loses a memo.

# The child process that the fault tests kill, run in pairs or run under limits.
qt_add_executable(rekova_addtool tools/rekova_addtool.cpp)
target_include_directories(rekova_addtool PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/tools)
target_link_libraries(rekova_addtool PRIVATE rekova_core)

rekova_add_test(tst_faults)
target_include_directories(tst_faults PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/tools)
target_compile_definitions(tst_faults PRIVATE REKOVA_ADDTOOL="$<TARGET_FILE:rekova_addtool>")
add_dependencies(tst_faults rekova_addtool)

rekova_add_test(tst_badinput)

if(REKOVA_SANITIZE)
    set_property(TEST tst_faults tst_badinput APPEND PROPERTY ENVIRONMENT REKOVA_ASAN=1)
endif()

# `ctest -LE slow` leaves these out for a quick round while working.
set_tests_properties(tst_faults tst_badinput PROPERTIES LABELS slow)
