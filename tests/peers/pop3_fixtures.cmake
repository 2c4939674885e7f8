# The real POP3 server (dovecot, tests/peers/pop3-peer.sh) as a CTest fixture:
# started before and stopped after the test programs that talk to it. Each
# build tree runs its own server under <build>/peers; the programs learn the
# directory from TIDEMARK_PEERS_DIR (Wine sees it as drive Z:) and read the
# port from pop3.port there. To add a program: list it below.
set(TIDEMARK_PEERS_ROOT ${CMAKE_BINARY_DIR}/peers)
add_test(NAME pop3_peer_start COMMAND ${CMAKE_SOURCE_DIR}/tests/peers/pop3-peer.sh start ${TIDEMARK_PEERS_ROOT})
add_test(NAME pop3_peer_stop COMMAND ${CMAKE_SOURCE_DIR}/tests/peers/pop3-peer.sh stop ${TIDEMARK_PEERS_ROOT})
set_tests_properties(pop3_peer_start PROPERTIES FIXTURES_SETUP pop3_peer)
set_tests_properties(pop3_peer_stop PROPERTIES FIXTURES_CLEANUP pop3_peer)

if(WIN32)
    set(peers_seen_by_programs "Z:${TIDEMARK_PEERS_ROOT}")
else()
    set(peers_seen_by_programs "${TIDEMARK_PEERS_ROOT}")
endif()
foreach(program native_tests portable_tests windows_tests pop3_bench)
    if(TARGET ${program})
        target_compile_definitions(${program} PRIVATE TIDEMARK_PEERS_DIR="${peers_seen_by_programs}")
    endif()
    if(TEST ${program})
        set_property(TEST ${program} APPEND PROPERTY FIXTURES_REQUIRED pop3_peer)
    endif()
endforeach()
