# The schedule store's writing side: adding memos, the order of the file, setting it aside.
rekova_add_test(tst_sort)
rekova_add_test(tst_dirs)
rekova_add_test(tst_setaside)

# Calendar files out and in: libical both ways, python3-icalendar as a second reader, and a
# calendar written as a common client exports it (tests/data). Local times are Japan's.
rekova_add_test(tst_icalendar)
target_compile_definitions(tst_icalendar PRIVATE
    REKOVA_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/data"
    REKOVA_ICSREAD="${CMAKE_CURRENT_SOURCE_DIR}/tools/icsread.py")
set_property(TEST tst_icalendar APPEND PROPERTY ENVIRONMENT "TZ=Asia/Tokyo")
