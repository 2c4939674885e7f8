# The SMTP sink (aiosmtpd) that the portable tests send real mail to. The
# tests find its port and the messages it stored in TIDEMARK_SMTP_SINK_DIR.
set(SMTP_SINK_DIR ${CMAKE_BINARY_DIR}/smtp-sink)
add_test(NAME smtp_sink_start COMMAND ${CMAKE_SOURCE_DIR}/tests/peers/smtp_sink.sh start ${SMTP_SINK_DIR})
add_test(NAME smtp_sink_stop COMMAND ${CMAKE_SOURCE_DIR}/tests/peers/smtp_sink.sh stop ${SMTP_SINK_DIR})
set_tests_properties(smtp_sink_start PROPERTIES FIXTURES_SETUP smtp_sink)
set_tests_properties(smtp_sink_stop PROPERTIES FIXTURES_CLEANUP smtp_sink)

# Wine sees the Unix root as drive Z:.
if(WIN32)
    set(SMTP_SINK_PATH "Z:${SMTP_SINK_DIR}")
else()
    set(SMTP_SINK_PATH "${SMTP_SINK_DIR}")
endif()
foreach(suite native_tests portable_tests)
    if(TARGET ${suite})
        target_compile_definitions(${suite} PRIVATE TIDEMARK_SMTP_SINK_DIR="${SMTP_SINK_PATH}")
        set_property(TEST ${suite} APPEND PROPERTY FIXTURES_REQUIRED smtp_sink)
    endif()
endforeach()
