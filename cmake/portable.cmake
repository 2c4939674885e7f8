# What both builds share: GoogleTest, the portable library and its tests.
# The caller sets PORTABLE_TESTS to the name of the test program.
add_subdirectory(${GTEST_ROOT} googletest EXCLUDE_FROM_ALL)

add_library(tidemark_portable STATIC ${PORTABLE_SOURCES})
target_include_directories(tidemark_portable PUBLIC ${CMAKE_SOURCE_DIR}/src)

file(GLOB PORTABLE_TEST_SOURCES CONFIGURE_DEPENDS tests/native/*.cpp)
add_executable(${PORTABLE_TESTS} ${PORTABLE_TEST_SOURCES})
target_link_libraries(${PORTABLE_TESTS} PRIVATE tidemark_portable gtest gtest_main)
target_compile_definitions(${PORTABLE_TESTS} PRIVATE TIDEMARK_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
add_test(NAME ${PORTABLE_TESTS} COMMAND ${PORTABLE_TESTS})
