# Sourced by the run and test scripts: a private Wine prefix with a Korean
# locale (ANSI code page 949), Korean fonts and, when there is no display,
# an Xvfb server of its own.
TIDEMARK_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
: "${TIDEMARK_BUILD:=$TIDEMARK_ROOT/build}"
export WINEPREFIX="${WINEPREFIX:-$TIDEMARK_BUILD/wineprefix}"
export LANG=ko_KR.UTF-8 LC_ALL=ko_KR.UTF-8
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installer dialogs: the program needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
WINE=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
WINESERVER=$(command -v wineserver || echo /usr/lib/wine/wineserver)

TIDEMARK_XVFB_PID=
TIDEMARK_SCREEN_SIZE=1024x768 # of the Xvfb screen started here
tidemark_start_display() {
    [ -n "${DISPLAY:-}" ] && return 0
    local n=77
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 "${TIDEMARK_SCREEN_SIZE}x24" -nolisten tcp >/dev/null 2>&1 &
    TIDEMARK_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
}

tidemark_stop_display() {
    [ -n "$TIDEMARK_XVFB_PID" ] || return 0
    "$WINESERVER" -k >/dev/null 2>&1 || true
    kill "$TIDEMARK_XVFB_PID" 2>/dev/null || true
    wait "$TIDEMARK_XVFB_PID" 2>/dev/null || true
    TIDEMARK_XVFB_PID=
    unset DISPLAY
}

# The data of a value in the prefix's registry, code page 949 text as UTF-8,
# or nothing:   tidemark_registry_value KEY NAME
tidemark_registry_value() {
    "$WINE" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | iconv -f CP949 -t UTF-8 |
        awk -v name="$2" '$1 == name { $1 = ""; $2 = ""; sub(/^ +/, ""); print }' || true
}

# The captions' buttons are glyphs of Wine's Marlett (fonts-wine), which
# this Wine finds only in the prefix's font folder; older prefixes get it too.
tidemark_add_caption_font() {
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    [ -f "$fonts/marlett.ttf" ] || cp /usr/share/wine/fonts/marlett.ttf "$fonts/" 2>/dev/null || true
}

# wineboot once per prefix, then map the Korean dialog fonts to Nanum.
tidemark_prepare_prefix() {
    if [ -f "$WINEPREFIX/.tidemark-ready" ]; then
        tidemark_add_caption_font
        return 0
    fi
    mkdir -p "$WINEPREFIX"
    "$WINE" wineboot -i >/dev/null 2>&1
    tidemark_add_caption_font
    local reg="$WINEPREFIX/fonts.reg"
    printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n"굴림"="NanumGothic"\r\n"굴림체"="NanumGothicCoding"\r\n"MS Sans Serif"="NanumGothic"\r\n"MS Shell Dlg"="NanumGothic"\r\n"Tahoma"="NanumGothic"\r\n' |
        iconv -f UTF-8 -t CP949 >"$reg"
    "$WINE" regedit /S "$reg" >/dev/null 2>&1
    "$WINESERVER" -w
    touch "$WINEPREFIX/.tidemark-ready"
}

# Everything a script needs before it runs Windows programs; the display it
# may start is stopped when the script exits.
tidemark_enter_wine() {
    trap tidemark_stop_display EXIT
    tidemark_start_display
    tidemark_prepare_prefix
}
