# The month view and the readers of the schedule file, the main window, and a start of the real
# program on an X server.
rekova_add_test(tst_rekovabas)
rekova_add_test(tst_wincal GUI)

# The real program on a virtual X server: its window, its Japanese glyphs, its start-up notice.
qt_add_executable(tst_startup_xvfb tst_startup_xvfb.cpp)
target_link_libraries(tst_startup_xvfb PRIVATE Qt6::Gui Qt6::Test)
add_dependencies(tst_startup_xvfb rekova)
add_test(NAME tst_startup_xvfb
    COMMAND xvfb-run -a -s "-screen 0 1024x768x24" $<TARGET_FILE:tst_startup_xvfb>)
set(xvfb_home ${CMAKE_CURRENT_BINARY_DIR}/home/tst_startup_xvfb)
file(MAKE_DIRECTORY ${xvfb_home})
set_tests_properties(tst_startup_xvfb PROPERTIES
    TIMEOUT 120
    ENVIRONMENT "QT_QPA_PLATFORM=xcb;REKOVA_EXE=$<TARGET_FILE:rekova>;HOME=${xvfb_home};XDG_CONFIG_HOME=${xvfb_home}/.config;XDG_RUNTIME_DIR=${xvfb_home};ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0")
set_tests_properties(tst_startup_xvfb PROPERTIES LABELS slow)
