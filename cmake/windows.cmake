# Cross build: tidemark.exe and the Windows test programs (run under Wine).
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0600)
set(WIN32_LIBS ws2_32 wininet comctl32 comdlg32 shell32 winmm gdi32 user32 ole32 oleaut32 uuid advapi32)

# The portable tests also run inside Wine, against Winsock.
set(PORTABLE_TESTS portable_tests)
include(cmake/portable.cmake)
target_link_libraries(tidemark_portable PUBLIC ws2_32)

file(GLOB_RECURSE UI_SOURCES CONFIGURE_DEPENDS
    src/app/*.cpp src/postman/*.cpp src/options/*.cpp src/widgets/*.cpp src/framework/*.cpp)
list(REMOVE_ITEM UI_SOURCES ${PORTABLE_SOURCES} ${CMAKE_SOURCE_DIR}/src/app/main.cpp)
add_library(tidemark_ui STATIC ${UI_SOURCES})
target_include_directories(tidemark_ui PUBLIC ${CMAKE_SOURCE_DIR}/res)
target_link_libraries(tidemark_ui PUBLIC tidemark_portable ${WIN32_LIBS})

# The resource script is code page 949 and names its icons and bitmaps
# relative to res/.
set(RESOURCE_SCRIPT ${CMAKE_SOURCE_DIR}/res/tidemark.rc)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR}/res -c 949")
file(GLOB RESOURCE_PICTURES CONFIGURE_DEPENDS res/icons/*.ico res/bitmaps/*.bmp)
set_source_files_properties(${RESOURCE_SCRIPT} PROPERTIES OBJECT_DEPENDS "${RESOURCE_PICTURES}")
add_executable(tidemark WIN32 src/app/main.cpp ${RESOURCE_SCRIPT})
target_link_libraries(tidemark PRIVATE tidemark_ui)

# New accounts default to the bell sound in the program's own folder.
configure_file(${CMAKE_SOURCE_DIR}/res/tidebell.wav ${CMAKE_BINARY_DIR}/tidebell.wav COPYONLY)

file(GLOB WINDOWS_TEST_SOURCES CONFIGURE_DEPENDS tests/windows/*.cpp)
add_executable(windows_tests ${WINDOWS_TEST_SOURCES} ${RESOURCE_SCRIPT} tests/windows/test_dialogs.rc)
target_link_libraries(windows_tests PRIVATE tidemark_ui gtest)
target_compile_definitions(windows_tests PRIVATE TIDEMARK_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
add_test(NAME windows_tests COMMAND windows_tests)
include(${CMAKE_SOURCE_DIR}/tests/peers/peer_fixtures.cmake)
