# gtest_discover_tests hands a property's value on word by word, so an ENVIRONMENT of several
# variables given through it sets only the first (the sanitizers' options never arrived).
# qb_discovered_test_environment(<target> VAR=value...) sets them all on every test found in
# <target>, from a file that ctest reads after the discovered list (the default TEST_LIST).
function(qb_discovered_test_environment target)
  set(script "${CMAKE_CURRENT_BINARY_DIR}/${target}_environment.cmake")
  file(WRITE "${script}"
    "foreach(test IN LISTS ${target}_TESTS)\n"
    "  set_tests_properties(\"\${test}\" PROPERTIES ENVIRONMENT \"${ARGN}\")\n"
    "endforeach()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${script}")
endfunction()
