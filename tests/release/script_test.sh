# Sourced by the script tests: each step is a test case, reported like a
# GoogleTest program's cases in an XML file in the folder that GTEST_OUTPUT
# names ("xml:DIR/", as scripts/test.sh sets it), so the test run counts them.
#   test_case NAME COMMAND...   runs COMMAND in this shell (so that it may set
#                               variables); its output is the failure text
#   finish_tests SUITE          writes the report, exits 1 if a case failed
report_cases=()
case_output=$(mktemp)
failed_cases=0

xml_escape() {
    sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g' -e 's/"/\&quot;/g'
}

test_case() {
    local name=$1 output status
    shift
    echo "[ RUN      ] $name"
    "$@" >"$case_output" 2>&1
    status=$?
    output=$(cat "$case_output")
    if [ $status -eq 0 ]; then
        echo "[       OK ] $name"
        report_cases+=("<testcase name=\"$name\" status=\"run\"/>")
    else
        echo "$output"
        echo "[  FAILED  ] $name"
        failed_cases=$((failed_cases + 1))
        report_cases+=("<testcase name=\"$name\" status=\"run\"><failure message=\"failed\">$(
            printf '%s' "$output" | xml_escape)</failure></testcase>")
    fi
}

finish_tests() {
    local suite=$1 dir=${GTEST_OUTPUT:-}
    rm -f "$case_output"
    dir=${dir#xml:}
    dir=${dir#Z:}
    if [ -n "$dir" ]; then
        mkdir -p "$dir"
        {
            echo '<?xml version="1.0" encoding="UTF-8"?>'
            echo "<testsuites tests=\"${#report_cases[@]}\" failures=\"$failed_cases\">"
            echo "<testsuite name=\"$suite\" tests=\"${#report_cases[@]}\" failures=\"$failed_cases\">"
            printf '%s\n' "${report_cases[@]}"
            echo '</testsuite></testsuites>'
        } >"$dir/$suite.xml"
    fi
    echo "${#report_cases[@]} cases, $failed_cases failed"
    [ "$failed_cases" -eq 0 ]
}

# Waits up to SECONDS for COMMAND to succeed.
wait_until() {
    local seconds=$1
    shift
    for _ in $(seq $((seconds * 4))); do
        "$@" && return 0
        sleep 0.25
    done
    return 1
}

# Processes (pids) of this machine that belong to the Wine prefix or folder
# MARK: by their environment (WINEPREFIX), command line or working folder
# (dovecot's processes clear their environment and work in its base folder).
processes_of() {
    local mark=$1 pid
    for pid in $(ls /proc | grep -E '^[0-9]+$'); do
        [ "$pid" = "$$" ] && continue
        { tr '\0' '\n' <"/proc/$pid/environ" | grep -qxF "WINEPREFIX=$mark" ||
            tr '\0' ' ' <"/proc/$pid/cmdline" | grep -qF "$mark" ||
            [[ "$(readlink "/proc/$pid/cwd")" == "$mark"* ]]; } 2>/dev/null && echo "$pid"
    done
    return 0
}
