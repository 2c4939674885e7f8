# Native build: portable library and its tests under the sanitizers.
option(TIDEMARK_SANITIZE "Build with AddressSanitizer and UBSan" ON)
if(TIDEMARK_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

find_package(Threads REQUIRED)
# No platform TLS here: every handshake fails with a clear reason.
list(APPEND PORTABLE_SOURCES ${CMAKE_SOURCE_DIR}/src/net/tls_channel_unsupported.cpp)
set(PORTABLE_TESTS native_tests)
include(cmake/portable.cmake)
target_link_libraries(tidemark_portable PUBLIC Threads::Threads)

file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS tests/bench/*.cpp)
foreach(src ${BENCH_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE tidemark_portable)
endforeach()

include(${CMAKE_SOURCE_DIR}/tests/peers/peer_fixtures.cmake)
