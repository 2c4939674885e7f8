# Cross build: tidemark.exe and the Windows test programs (run under Wine).
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0600)
# Linked by LLVM's lld in its MinGW mode: it packs the import, unwind and
# start-up tables into .rdata, where GNU ld gives each its own page-aligned
# section. The compiler finds it beside its own linker (scripts/install-deps.sh
# makes that link).
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-prog-name=ld OUTPUT_VARIABLE gnu_linker
    OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT EXISTS ${gnu_linker}.lld)
    message(FATAL_ERROR "${gnu_linker}.lld not found: scripts/install-deps.sh installs lld and links it there")
endif()
add_link_options(-fuse-ld=lld)

# What the tray icon needs is linked as usual; the rest loads when first
# used: TLS and certificates at the first secure connection, WinINet at the
# upgrade check, the common controls with the first dialog, the file dialogs,
# sounds and clips, OLE with the mail view.
include(cmake/delay_import.cmake)
foreach(name secur32 crypt32 wininet comctl32 comdlg32 winmm ole32 oleaut32)
    delay_import_library(${name}_delay ${name})
endforeach()
set(WIN32_LIBS ws2_32 iphlpapi ${wininet_delay} ${comctl32_delay} ${comdlg32_delay} shell32 ${winmm_delay} gdi32 user32
    ${ole32_delay} ${oleaut32_delay} uuid advapi32 usp10)

# The portable tests also run inside Wine, against Winsock; TLS is SChannel's.
list(APPEND PORTABLE_SOURCES ${CMAKE_SOURCE_DIR}/src/net/tls_channel_schannel.cpp
    ${CMAKE_SOURCE_DIR}/src/net/server_certificate.cpp ${CMAKE_SOURCE_DIR}/src/base/delay_load.cpp)
set(PORTABLE_TESTS portable_tests)
include(cmake/portable.cmake)
target_link_libraries(tidemark_portable PUBLIC ws2_32 ${secur32_delay} ${crypt32_delay})
# Nothing asks a type at run time: no type names and descriptions (15 KB).
target_compile_options(tidemark_portable PUBLIC $<$<COMPILE_LANGUAGE:CXX>:-fno-rtti>)

file(GLOB_RECURSE UI_SOURCES CONFIGURE_DEPENDS
    src/app/*.cpp src/postman/*.cpp src/options/*.cpp src/widgets/*.cpp src/framework/*.cpp)
list(APPEND UI_SOURCES ${CMAKE_SOURCE_DIR}/src/base/registry_profile.cpp
    ${CMAKE_SOURCE_DIR}/src/core/startup_entry.cpp ${CMAKE_SOURCE_DIR}/src/net/version_fetch.cpp)
list(REMOVE_ITEM UI_SOURCES ${CMAKE_SOURCE_DIR}/src/app/main.cpp)
add_library(tidemark_ui STATIC ${UI_SOURCES})
target_include_directories(tidemark_ui PUBLIC ${CMAKE_SOURCE_DIR}/res)
target_link_libraries(tidemark_ui PUBLIC tidemark_portable ${WIN32_LIBS})

# The resource script is code page 949 and names its icons and bitmaps
# relative to res/.
set(RESOURCE_SCRIPT ${CMAKE_SOURCE_DIR}/res/tidemark.rc)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR}/res -c 949")
file(GLOB RESOURCE_PICTURES CONFIGURE_DEPENDS res/icons/*.ico res/bitmaps/*.bmp res/*.manifest)
set_source_files_properties(${RESOURCE_SCRIPT} PROPERTIES OBJECT_DEPENDS "${RESOURCE_PICTURES}")
add_executable(tidemark WIN32 src/app/main.cpp ${RESOURCE_SCRIPT})
target_link_libraries(tidemark PRIVATE tidemark_ui)
# A resident program is judged by its size: the program's own code is built
# for size, one section per function, so that the linker drops what no one
# calls, and without the compiler's name in every object.
foreach(target tidemark_portable tidemark_ui tidemark)
    target_compile_options(${target} PRIVATE -Os -ffunction-sections -fdata-sections -fno-ident)
endforeach()
# Sections page-aligned in the file too: Wine maps such an image from the
# file, where it copies any other into private memory (half a megabyte). So
# that each costs no page of its own, the build id goes with the read-only
# data and the thread-local template (16 bytes) with the data.
target_link_options(tidemark PRIVATE -Wl,--gc-sections -Wl,--file-alignment=4096
    -Wl,--Xlink=-merge:.buildid=.rdata -Wl,--Xlink=-merge:.tls=.data)
add_test(NAME program_size_budget COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:tidemark> -DSTRIP=${CMAKE_STRIP}
    -DBUDGET_KB=600 -P ${CMAKE_SOURCE_DIR}/cmake/size_budget.cmake)

# New accounts default to the bell sound in the program's own folder.
configure_file(${CMAKE_SOURCE_DIR}/res/tidebell.wav ${CMAKE_BINARY_DIR}/tidebell.wav COPYONLY)

# The start-up benchmark (tests/bench/startup_bench.sh): the least tray
# program, to compare with, and the probe that times and weighs both.
add_executable(minimal_tray WIN32 tests/bench/minimal_tray.c)
target_link_libraries(minimal_tray PRIVATE shell32)
add_executable(startup_probe tests/bench/startup_probe.c)
target_link_libraries(startup_probe PRIVATE psapi)

# The per-user installer (NSIS) ships the stripped program and its bell.
find_program(MAKENSIS makensis)
if(MAKENSIS)
    set(INSTALLER ${CMAKE_BINARY_DIR}/tidemark-setup.exe)
    set(PROGRAM_DIR ${CMAKE_BINARY_DIR}/installer)
    add_custom_command(OUTPUT ${INSTALLER}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROGRAM_DIR}
        COMMAND ${CMAKE_STRIP} -o ${PROGRAM_DIR}/tidemark.exe $<TARGET_FILE:tidemark>
        COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/res/tidebell.wav ${PROGRAM_DIR}/tidebell.wav
        COMMAND ${MAKENSIS} -V2 -INPUTCHARSET UTF8 -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DPROGRAM_DIR=${PROGRAM_DIR}
                -DOUTFILE=${INSTALLER} ${CMAKE_SOURCE_DIR}/installer/tidemark.nsi
        DEPENDS tidemark ${CMAKE_SOURCE_DIR}/installer/tidemark.nsi ${CMAKE_SOURCE_DIR}/res/tidebell.wav
        COMMENT "Building the installer tidemark-setup.exe")
    add_custom_target(installer ALL DEPENDS ${INSTALLER})
    add_test(NAME installer_test COMMAND ${CMAKE_SOURCE_DIR}/tests/release/installer_test.sh ${CMAKE_BINARY_DIR})
else()
    # A test run without the installer's test is not a passed run.
    message(WARNING "makensis not found (Debian package nsis): no installer is built")
    add_test(NAME installer_test COMMAND sh -c "echo 'makensis not found: scripts/install-deps.sh installs nsis'; exit 1")
endif()

file(GLOB WINDOWS_TEST_SOURCES CONFIGURE_DEPENDS tests/windows/*.cpp)
# The portable tests' helpers (files, peers' ports, loopback sockets) serve these too.
add_executable(windows_tests ${WINDOWS_TEST_SOURCES} tests/native/test_support.cpp ${RESOURCE_SCRIPT}
    tests/windows/test_dialogs.rc)
target_include_directories(windows_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/native)
target_link_libraries(windows_tests PRIVATE tidemark_ui gtest version)
target_compile_definitions(windows_tests PRIVATE TIDEMARK_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
add_test(NAME windows_tests COMMAND windows_tests)
# The first run of scripts/run.sh, as a newcomer has it (tests/release).
add_test(NAME first_run_test COMMAND ${CMAKE_SOURCE_DIR}/tests/release/first_run_test.sh)
set_tests_properties(first_run_test PROPERTIES TIMEOUT 900)
# A user's first session, driven through the program's windows with xdotool.
add_test(NAME journey_test COMMAND ${CMAKE_SOURCE_DIR}/tests/release/journey_test.sh ${CMAKE_BINARY_DIR})
set_tests_properties(journey_test PROPERTIES TIMEOUT 300)
add_test(NAME journey_imap_test COMMAND ${CMAKE_SOURCE_DIR}/tests/release/journey_test.sh ${CMAKE_BINARY_DIR})
set_tests_properties(journey_imap_test PROPERTIES TIMEOUT 300 ENVIRONMENT JOURNEY_PROTOCOL=imap)

include(${CMAKE_SOURCE_DIR}/tests/peers/peer_fixtures.cmake)

# Benchmarks that need windows; run under Wine by hand.
file(GLOB WINDOWS_BENCH_SOURCES CONFIGURE_DEPENDS tests/bench/windows/*.cpp)
foreach(src ${WINDOWS_BENCH_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE tidemark_ui)
endforeach()
