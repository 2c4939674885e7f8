# Native build: portable library and its tests under the sanitizers.
option(TIDEMARK_SANITIZE "Build with AddressSanitizer and UBSan" ON)
if(TIDEMARK_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

find_package(Threads REQUIRED)
add_subdirectory(${GTEST_ROOT} googletest EXCLUDE_FROM_ALL)

add_library(tidemark_portable STATIC ${PORTABLE_SOURCES})
target_include_directories(tidemark_portable PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(tidemark_portable PUBLIC Threads::Threads)

file(GLOB NATIVE_TEST_SOURCES CONFIGURE_DEPENDS tests/native/*.cpp)
add_executable(native_tests ${NATIVE_TEST_SOURCES})
target_link_libraries(native_tests PRIVATE tidemark_portable gtest gtest_main)
target_compile_definitions(native_tests PRIVATE TIDEMARK_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
add_test(NAME native_tests COMMAND native_tests)

file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS tests/bench/*.cpp)
foreach(src ${BENCH_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE tidemark_portable)
endforeach()
include(${CMAKE_SOURCE_DIR}/tests/peers/smtp_fixtures.cmake)

include(${CMAKE_SOURCE_DIR}/tests/peers/pop3_fixtures.cmake)
