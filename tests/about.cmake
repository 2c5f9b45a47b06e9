# Help texts, the about window and the desktop integration.
rekova_add_test(tst_helptexts)
rekova_add_test(tst_frmabt GUI)

# The tree that `cmake --install` lays out: program, menu entry and icons.
add_test(NAME tst_install
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tst_install.sh ${CMAKE_COMMAND} ${PROJECT_BINARY_DIR}
            ${CMAKE_CURRENT_BINARY_DIR}/tst_install-root)
