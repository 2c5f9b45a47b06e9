# Both windows in each free Japanese face at each screen scale.
rekova_add_test(tst_uifont GUI)
