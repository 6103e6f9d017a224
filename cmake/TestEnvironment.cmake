# The test environment the Wine tests run in (scripts/test-env.sh: a private Xvfb showing the
# known desktop pattern, a Wine prefix and a PulseAudio null sink) is the ctest fixture
# test_env: ctest starts it before the first test that needs it and stops it after the last.
# Both trees' presets share one folder for it, and so one Wine prefix, made once.
set(REELBOX_TEST_ENV "${PROJECT_BINARY_DIR}/env" CACHE PATH
    "Folder of the test environment the Wine tests run in (scripts/test-env.sh)")

# The command that runs a program in the environment: REELBOX_IN_TEST_ENV PROGRAM ARGS...
set(REELBOX_IN_TEST_ENV ${PROJECT_SOURCE_DIR}/cmake/in-test-env.sh ${REELBOX_TEST_ENV})

# reelbox_add_test_environment(NATIVE_TREE): the fixture's start and stop tests, the desktop
# pattern painted by NATIVE_TREE's painter. They carry the labels of the tests that need them,
# so that a run without those (the native unit tests) does not start the environment.
function(reelbox_add_test_environment native_tree)
  set(script ${PROJECT_SOURCE_DIR}/scripts/test-env.sh)
  add_test(NAME test_env.start COMMAND ${script} fixture-start ${native_tree} ${REELBOX_TEST_ENV})
  add_test(NAME test_env.stop COMMAND ${script} fixture-stop ${REELBOX_TEST_ENV})
  set_tests_properties(test_env.start PROPERTIES FIXTURES_SETUP test_env LABELS "e2e;win32"
                       TIMEOUT 300)
  set_tests_properties(test_env.stop PROPERTIES FIXTURES_CLEANUP test_env LABELS "e2e;win32"
                       TIMEOUT 60)
endfunction()

# reelbox_in_test_env(TEST...): the tests need the environment.
function(reelbox_in_test_env)
  set_tests_properties(${ARGN} PROPERTIES FIXTURES_REQUIRED test_env)
endfunction()
