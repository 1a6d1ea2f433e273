# GoogleTest for a cross build: compiled with the project's compiler from the sources
# Debian's libgtest-dev ships, so that the test programs link against a GoogleTest for
# the target. find_package(GTest) afterwards finds these targets.
include(FetchContent)
set(googletest_sources /usr/src/googletest CACHE PATH "GoogleTest sources to build for the target")
FetchContent_Declare(GTest SOURCE_DIR ${googletest_sources} OVERRIDE_FIND_PACKAGE)

set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
# Our warnings-as-errors are for our own code, not for GoogleTest's.
get_directory_property(zbk_saved_options COMPILE_OPTIONS)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "")
FetchContent_MakeAvailable(GTest)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "${zbk_saved_options}")
