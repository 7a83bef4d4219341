# What every test of a sanitized build runs with: the first report ends its
# process (with a failure status), and goes to a file of its own in
# sanitizer-reports/, which make check reads after the tests, so that no
# report passes unseen in a program a test ended or whose status it did not
# look at. The suppressions name code outside this project only; each says
# why. Sets sanitizerEnvironment, and sanitizerDisplayEnvironment for the
# tests that open a window.
set(supp ${CMAKE_CURRENT_LIST_DIR})
set(reports ${CAVEL_SANITIZER_REPORTS})
if(CAVEL_SANITIZE STREQUAL "address")
  set(asan "log_path=${reports}/asan:log_exe_name=1:detect_leaks=1:check_initialization_order=1")
  set(sanitizerEnvironment
    "ASAN_OPTIONS=${asan}"
    "LSAN_OPTIONS=suppressions=${supp}/leaks.supp:print_suppressions=0"
    "UBSAN_OPTIONS=print_stacktrace=1")
  # No leak check where a window opens: Mesa's driver is unloaded before it,
  # and the stacks of what it kept stop at its frames, naming no one; the
  # full unwinding that would go on to SDL's frames makes a window test run
  # for many minutes. The plain build's leak-checked run of the program
  # (e2e/test_robustness.py) looks for the program's own leaks.
  set(sanitizerDisplayEnvironment ${sanitizerEnvironment}
    "ASAN_OPTIONS=${asan}:detect_leaks=0")
else()
  set(sanitizerEnvironment
    "TSAN_OPTIONS=log_path=${reports}/tsan:log_exe_name=1:halt_on_error=1:second_deadlock_stack=1:suppressions=${supp}/races.supp:print_suppressions=0")
  set(sanitizerDisplayEnvironment ${sanitizerEnvironment})
endif()
# The tests that need to know (a leak check of their own has nothing to add
# under AddressSanitizer, for one).
list(APPEND sanitizerEnvironment "CAVEL_SANITIZE=${CAVEL_SANITIZE}")
list(APPEND sanitizerDisplayEnvironment "CAVEL_SANITIZE=${CAVEL_SANITIZE}")
