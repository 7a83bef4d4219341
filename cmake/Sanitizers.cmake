# The sanitized builds that make check adds to the plain one, each in a
# folder of its own:
#   CAVEL_SANITIZE=address  AddressSanitizer with UndefinedBehaviorSanitizer
#   CAVEL_SANITIZE=thread   ThreadSanitizer
# Everything is built under the sanitizer (libraries, programs, tests), and
# the first report ends its process with a failure. The tests then run with
# the options of tests/sanitizers/ (see tests/CMakeLists.txt), which also
# keep every report in the build's sanitizer-reports/ folder for make check to
# look at, whatever became of the process that made it.
set(CAVEL_SANITIZE "" CACHE STRING "Build under a sanitizer: address (with undefined) or thread")
set_property(CACHE CAVEL_SANITIZE PROPERTY STRINGS "" address thread)

if(CAVEL_SANITIZE STREQUAL "address")
  set(sanitizeFlags -fsanitize=address,undefined -fno-sanitize-recover=all)
elseif(CAVEL_SANITIZE STREQUAL "thread")
  set(sanitizeFlags -fsanitize=thread)
elseif(NOT CAVEL_SANITIZE STREQUAL "")
  message(FATAL_ERROR "CAVEL_SANITIZE is address, thread or empty, not '${CAVEL_SANITIZE}'")
endif()

if(CAVEL_SANITIZE)
  add_compile_options(${sanitizeFlags})
  add_link_options(${sanitizeFlags})
  set(CAVEL_SANITIZER_REPORTS ${PROJECT_BINARY_DIR}/sanitizer-reports)
endif()
