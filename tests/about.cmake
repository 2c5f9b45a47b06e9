# Help texts, the about window, the desktop integration, the choice of display system and the
# stored setting.
rekova_add_test(tst_helptexts)
rekova_add_test(tst_frmabt GUI)
rekova_add_test(tst_session)
rekova_add_test(tst_commandline)
add_dependencies(tst_commandline rekova)
set_property(TEST tst_commandline APPEND PROPERTY ENVIRONMENT "REKOVA_EXE=$<TARGET_FILE:rekova>")
rekova_add_test(tst_qtplatform GUI)

# The tree that `cmake --install` lays out: program, menu entry, metadata, icons, manual page.
add_test(NAME tst_install
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tst_install.sh ${CMAKE_COMMAND} ${PROJECT_BINARY_DIR}
            ${CMAKE_CURRENT_BINARY_DIR}/tst_install-root)

# The about window's icon once more at twice the scale, where the 64 pixel drawing is shown.
add_test(NAME tst_frmabt_scale2 COMMAND tst_frmabt iconIsDrawnForTheScreenScale)
get_test_property(tst_frmabt ENVIRONMENT frmabt_environment)
set_tests_properties(tst_frmabt_scale2 PROPERTIES
    TIMEOUT 60 ENVIRONMENT "${frmabt_environment};QT_SCALE_FACTOR=2")

# Desktop notifications, on a session bus of the test's own.
qt_add_executable(tst_notifications tst_notifications.cpp)
target_link_libraries(tst_notifications PRIVATE rekova_core Qt6::DBus Qt6::Test)
add_test(NAME tst_notifications COMMAND dbus-run-session -- $<TARGET_FILE:tst_notifications>)
get_test_property(tst_session ENVIRONMENT session_environment)
set_tests_properties(tst_notifications PROPERTIES TIMEOUT 60 ENVIRONMENT "${session_environment}")
