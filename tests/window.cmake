# The month view and the readers of the schedule file, the main window, and a start of the real
# program on an X server.
rekova_add_test(tst_rekovabas)
rekova_add_test(tst_wincal GUI)
