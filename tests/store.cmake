# The schedule store's writing side: adding memos, the order of the file, setting it aside.
rekova_add_test(tst_sort)
rekova_add_test(tst_dirs)
rekova_add_test(tst_setaside)
