# Both windows in each free Japanese face at each screen scale.
rekova_add_test(tst_uifont GUI)
# Once more with a font configuration that names only the font folders: no hinting rules.
add_test(NAME tst_uifont_plain COMMAND tst_uifont)
get_test_property(tst_uifont ENVIRONMENT uifont_environment)
set_tests_properties(tst_uifont_plain PROPERTIES
    TIMEOUT 300 ENVIRONMENT "${uifont_environment};TST_UIFONT_PLAIN=1")
