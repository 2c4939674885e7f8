# The real servers the tests talk to, as CTest fixtures: each is started
# before and stopped after the test programs that need it, in a folder of
# its own under the build tree. A program learns the folder from a compile
# definition (Wine sees the Unix root as drive Z:) and finds the server's
# port there.
function(add_peer_fixture fixture script folder definition)
    set(dir ${CMAKE_BINARY_DIR}/${folder})
    add_test(NAME ${fixture}_start COMMAND ${CMAKE_SOURCE_DIR}/tests/peers/${script} start ${dir})
    add_test(NAME ${fixture}_stop COMMAND ${CMAKE_SOURCE_DIR}/tests/peers/${script} stop ${dir})
    set_tests_properties(${fixture}_start PROPERTIES FIXTURES_SETUP ${fixture})
    set_tests_properties(${fixture}_stop PROPERTIES FIXTURES_CLEANUP ${fixture})
    if(WIN32)
        set(dir "Z:${dir}")
    endif()
    foreach(program ${ARGN})
        if(TARGET ${program})
            target_compile_definitions(${program} PRIVATE ${definition}="${dir}")
        endif()
        if(TEST ${program})
            set_property(TEST ${program} APPEND PROPERTY FIXTURES_REQUIRED ${fixture})
        endif()
    endforeach()
endfunction()

# dovecot (tests/peers/pop3-peer.sh): its users and messages, ports in
# pop3.port and imap.port (plain), pop3s.port, pop3-stls.port, imaps.port and
# imap-stls.port (TLS only). Every server
# that speaks TLS uses the certificates of tests/peers/test_certificates.sh.
add_peer_fixture(pop3_peer pop3-peer.sh peers TIDEMARK_PEERS_DIR native_tests portable_tests windows_tests pop3_bench)
# The aiosmtpd sink (tests/peers/smtp_sink.sh): its ports (plain, STARTTLS,
# TLS) and the messages it stored.
add_peer_fixture(smtp_sink smtp_sink.sh smtp-sink TIDEMARK_SMTP_SINK_DIR native_tests portable_tests windows_tests)
# The TLS servers (tests/peers/tls_peer.py): ports in ports, certificates in certs/.
# Only the Windows tests have TLS to try on them.
if(WIN32)
    add_peer_fixture(tls_peer tls_peer.sh tls-peer TIDEMARK_TLS_PEER_DIR windows_tests)
endif()
# The maker's web server as the upgrade check sees it (tests/peers/version_server.py): its port.
add_peer_fixture(version_server version_server.sh version-server TIDEMARK_VERSION_SERVER_DIR windows_tests)
