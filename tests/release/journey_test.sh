#!/bin/bash
# A newcomer's first session with Tidemark, driven through its real windows
# as a user would: mouse clicks, typed text and keys sent with xdotool to
# tidemark.exe under Wine, on a Wine desktop with a taskbar on an Xvfb screen
# of its own, with a fresh Wine prefix, beside a dovecot mailbox of the demo
# mail and an SMTP sink. Each step is a test case and saves a screenshot.
#   [JOURNEY_PROTOCOL=imap] journey_test.sh [BUILD_DIR [SHOT_DIR]]
# BUILD_DIR holds tidemark.exe (build/windows); the screenshots go to
# SHOT_DIR, by default build/journey-test/shots (docs/journey keeps the ones
# the README shows: pass it to renew them). The account is a POP3 account,
# or with JOURNEY_PROTOCOL=imap an IMAP account of the same mailbox (its work
# in build/journey-test-imap).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/script_test.sh"

program="$(cd "${1:-$root/build/windows}" && pwd)/tidemark.exe"
protocol=${JOURNEY_PROTOCOL:-pop3}
case $protocol in
pop3) suite=Journey report=journey_test protocol_code=0 work="$root/build/journey-test" ;;
imap) suite=JourneyImap report=journey_imap_test protocol_code=1 work="$root/build/journey-test-imap" ;;
*) echo "JOURNEY_PROTOCOL is pop3 or imap" >&2; exit 2 ;;
esac
shots=${2:-$work/shots}
peers="$root/tests/peers"
rm -rf "$work"
mkdir -p "$work" "$shots"
shots=$(cd "$shots" && pwd)
export TIDEMARK_BUILD="$work" WINEPREFIX="$work/wineprefix"
source "$root/scripts/wine-env.sh"
unset DISPLAY # a screen of its own

stop_everything() {
    "$WINESERVER" -k >/dev/null 2>&1 || true
    "$peers/pop3-peer.sh" stop "$work/pop3" >/dev/null 2>&1 || true
    "$peers/smtp_sink.sh" stop "$work/sent" >/dev/null 2>&1 || true
    tidemark_stop_display
}
trap stop_everything EXIT
trap 'exit 130' INT TERM

# The demo mail: 1 welcome (UTF-8 HTML), 2 meeting (EUC-KR plain),
# 3 report (attachment), 4 newsletter (EUC-KR HTML).
welcome_sender=hello@tidemark.example
welcome_heading="Tidemark에 오신 것을 환영합니다"
deleted_mail=02-meeting-euckr-plain
reply_text="잘 받았습니다. 고맙습니다."

# What the steps find, for the later ones.
desktop='' desktop_w=0 desktop_h=0 taskbar='' icon_x=0 icon_y=0 idle_icon='' sheet='' unit=''
postman='' viewer=''

# --- Looking at the screen --------------------------------------------------

# X Y WIDTH HEIGHT of an X window, on the screen.
geometry() {
    xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /Width:/ { w = $NF } /Height:/ { h = $NF } END { if (w) print x, y, w, h; else exit 1 }'
}

is_shown() {
    xwininfo -id "$1" 2>/dev/null | grep -q IsViewable
}

# The shown window named exactly NAME that is none of the other ids given.
shown_window() {
    local name=$1 id
    shift
    for id in $(xdotool search --onlyvisible --name "^$name\$" 2>/dev/null); do
        [[ " $* " == *" $id "* ]] || { echo "$id"; return 0; }
    done
    return 1
}

# await WHAT COMMAND...: runs COMMAND every 0.25 s, for up to 20 s, until it
# prints a window id; prints that id.
await() {
    local what=$1 id
    shift
    awaited=("$@")
    wait_until 20 awaited_id && { echo "$id"; return 0; }
    echo "no $what appeared" >&2
    return 1
}
awaited_id() { id=$("${awaited[@]}"); } # sets the id of await

# await_window NAME [EXCLUDED...]
await_window() {
    await "window \"$1\"" shown_window "$@"
}

await_hidden() {
    wait_until 20 eval '! is_shown '"$1" || { echo "window \"$2\" stayed" >&2; return 1; }
}

# A shown window of PROCESS (its X class) without a name and larger than a
# dot: a menu or a tool tip.
unnamed_window() {
    local id
    for id in $(xdotool search --onlyvisible --classname "^$1\$" 2>/dev/null); do
        [ -z "$(xdotool getwindowname "$id")" ] || continue
        [ "$id" = "$taskbar" ] && continue
        read -r _ _ w h < <(geometry "$id") && [ "$w" -gt 8 ] && [ "$h" -gt 8 ] && { echo "$id"; return 0; }
    done
    return 1
}

# await_unnamed_window PROCESS WHAT
await_unnamed_window() {
    await "$2" unnamed_window "$1"
}

# shot NAME X Y WIDTH HEIGHT: that part of the screen, as SHOT_DIR/NAME.png.
shot() {
    import -window root -crop "$4x$5+$2+$3" +repage -strip "$shots/$1.png"
}

shot_window() {
    local x y w h
    xdotool mousemove 0 0 # no tool tip or hover in the picture
    sleep 0.2
    read -r x y w h < <(geometry "$2") && shot "$1" "$x" "$y" "$w" "$h"
}

# --- Acting on it -------------------------------------------------------------

click() {
    xdotool mousemove "$1" "$2" click "${3:-1}"
}

double_click() {
    xdotool mousemove "$1" "$2" click --repeat 2 --delay 80 1
}

# Keys go to the X window that has the focus, which on a Wine desktop
# without a window manager stays where it was (on the taskbar after a click
# on the tray icon, so a menu opened there would not get them).
keys_to() {
    local window=$1
    shift
    xdotool windowfocus --sync "$window" key "$@"
}

# Korean text: xdotool maps each character to a spare key code in turn,
# which needs a moment per character.
type_text() {
    xdotool type --delay 80 "$1"
}

# Pixels per dialog unit, from the postman window (a pop-up without frame
# of 205 x 181 units): the same font measures every dialog of the program.
dialog_unit() {
    local id w h
    for id in $(xdotool search --name '^Tidemark$' 2>/dev/null); do
        read -r _ _ w h < <(geometry "$id") || continue
        # The postman window is the one of its proportions.
        if [ $((w * 181 - h * 205)) -gt -1500 ] && [ $((w * 181 - h * 205)) -lt 1500 ]; then
            awk -v w="$w" 'BEGIN { print w / 205 }'
            return 0
        fi
    done
    echo "no postman window to measure" >&2
    return 1
}

# at WINDOW DIALOG_WIDTH DIALOG_HEIGHT X Y: the screen point of dialog units
# X,Y inside a window of that template (its frame is as thick left, right
# and below; the caption is the rest at the top). Width 0: a window without
# frame and caption.
at() {
    local x y w h
    read -r x y w h < <(geometry "$1") || return 1
    awk -v x="$x" -v y="$y" -v w="$w" -v h="$h" -v dw="$2" -v dh="$3" -v ux="$4" -v uy="$5" -v s="$unit" 'BEGIN {
        frame = dw ? (w - dw * s) / 2 : 0; top = dw ? h - frame - dh * s : 0
        printf "%d %d\n", x + frame + ux * s, y + top + uy * s }'
}

click_at() {
    local point
    point=$(at "$@") || return 1
    click $point
}

# --- The things around the program ---------------------------------------

pop3_port() {
    cat "$work/pop3/pop3.port"
}

# The port of the account's protocol.
account_port() {
    cat "$work/pop3/$protocol.port"
}

# The messages of the demo mailbox, as the server lists them.
server_list() {
    curl -s --max-time 10 -u demo:secret "pop3://127.0.0.1:$(pop3_port)/" | tr -d '\r'
}

tidemark_processes() {
    local pid
    for pid in $(processes_of "$WINEPREFIX"); do
        tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -qi 'tidemark\.exe' && echo "$pid"
    done
    return 0
}

temp_mail_files() {
    find "$WINEPREFIX/drive_c/users" -path '*/Temp/TM*.eml' 2>/dev/null
}

registry_value() {
    tidemark_registry_value "HKCU\\Software\\Harrowby\\Tidemark\\$1" "$2"
}

expect_value() {
    local value
    value=$(registry_value "$1" "$2")
    [ "$value" = "$3" ] || { echo "$1\\$2 is \"$value\", not \"$3\""; return 1; }
}

# The tray icon: the box of what is drawn on the right half of the taskbar.
find_tray_icon() {
    local x y w h box
    read -r x y w h < <(geometry "$taskbar") || return 1
    box=$(import -window root -crop "$((w / 2))x$h+$((x + w / 2))+$y" +repage png:- |
        convert - -fuzz 15% -format '%@' info:)
    [[ "$box" =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] || return 1
    [ "${BASH_REMATCH[1]}" -ge 8 ] && [ "${BASH_REMATCH[1]}" -le 48 ] || return 1
    icon_x=$((x + w / 2 + BASH_REMATCH[3] + BASH_REMATCH[1] / 2))
    icon_y=$((y + BASH_REMATCH[4] + BASH_REMATCH[2] / 2))
}

tray_icon_pixels() {
    import -window root -crop "16x16+$((icon_x - 8))+$((icon_y - 8))" +repage -depth 8 rgb:- | md5sum
}

# Shows the tray icon's tool tip and saves the corner of the desktop with it.
tray_tooltip_shot() {
    local tip
    xdotool mousemove $((icon_x - 200)) $((icon_y - 200))
    sleep 0.3
    xdotool mousemove "$icon_x" "$icon_y"
    tip=$(await_unnamed_window explorer.exe "tool tip of the tray icon") || return 1
    local x y
    # Shown first, then placed and drawn.
    sleep 0.5
    read -r x y _ _ < <(geometry "$tip") || return 1
    shot "$1" $((x - 20)) $((y - 20)) $((desktop_w - x + 20)) $((desktop_h - y + 20))
}

# Right-clicks the tray icon and picks the item of KEY; a screenshot of the
# menu when NAME is given.
tray_command() {
    local menu
    click "$icon_x" "$icon_y" 3
    menu=$(await_unnamed_window tidemark.exe "tray menu") || return 1
    if [ -n "${2:-}" ]; then
        local x y
        read -r x y _ _ < <(geometry "$menu") || return 1
        sleep 0.3
        shot "$2" $((x - 20)) $((y - 20)) $((desktop_w - x + 20)) $((desktop_h - y + 20))
    fi
    keys_to "$menu" "$1"
    await_hidden "$menu" "tray menu"
}

# --- The journey ------------------------------------------------------------

starts_resident_in_the_tray() {
    "$peers/pop3-peer.sh" start "$work/pop3" "$root/scripts/demo/mail" >/dev/null || return 1
    "$peers/smtp_sink.sh" start "$work/sent" || return 1
    tidemark_start_display
    tidemark_prepare_prefix
    local size
    size=$(xdpyinfo | awk '/dimensions:/ { print $2 }')
    desktop_w=${size%x*}
    desktop_h=${size#*x}
    (cd "$work" && exec "$WINE" explorer /desktop=Journey,"$size" "$program" >"$work/wine.log" 2>&1) &
    desktop=$(await_window "Journey - Wine desktop") || return 1
    # The taskbar: the desktop's strip as wide as itself.
    wait_until 20 eval 'taskbar=$(xwininfo -children -id '"$desktop"' |
        awk -v w='"$desktop_w"' '"'"'$0 ~ "\"explorer.exe\"" && $0 ~ " " w "x[0-9]+\\+0\\+" { print $1 }'"'"' | head -1)
        [ -n "$taskbar" ]' || { echo "no taskbar"; return 1; }
    taskbar=$((taskbar)) # xdotool names windows in decimal
    wait_until 30 find_tray_icon || { echo "no tray icon on the taskbar"; return 1; }
    [ -n "$(tidemark_processes)" ] || { echo "tidemark.exe does not run"; return 1; }
    # Resident: nothing but the icon.
    if shown_window Tidemark >/dev/null; then
        echo "a window opened without an account"
        return 1
    fi
    idle_icon=$(tray_icon_pixels)
    tray_tooltip_shot 01-first-run-tray
}

options_open_from_the_tray_menu() {
    # Dialog units are measured on the postman window, made when first shown.
    local postman
    tray_command o || return 1
    postman=$(await_window Tidemark) || return 1
    unit=$(dialog_unit) || return 1
    click_at "$postman" 0 0 199 6 # its hide button
    await_hidden "$postman" Tidemark || return 1
    tray_command s 02-tray-menu || return 1
    sheet=$(await_window "환경 설정") || return 1
    shot_window 03-options "$sheet"
}

# The point of dialog units X,Y on the options sheet's page: the pages are
# centred across the sheet, 30 units below its top.
on_page() {
    local x y w
    read -r x y w _ < <(geometry "$sheet") || return 1
    awk -v x="$x" -v y="$y" -v w="$w" -v s="$unit" -v ux="$1" -v uy="$2" \
        'BEGIN { printf "%d %d\n", x + (w - 252 * s) / 2 + ux * s, y + (30 + uy) * s }'
}

an_account_is_added_by_typing() {
    local properties
    click $(on_page 213 27) # "서버 추가"
    properties=$(await_window "메일 서버 등록 정보") || return 1
    keys_to "$properties" alt+n
    type_text "데모 메일함"
    xdotool key alt+a type 127.0.0.1
    xdotool key alt+i type demo
    xdotool key alt+p type secret
    [ "$protocol" = pop3 ] || xdotool key alt+m Down # "IMAP"
    xdotool key alt+t ctrl+a type "$(account_port)"
    xdotool key alt+r End # "[3] 메일 서버의 모든 메일을 수신"
    sleep 0.3
    shot_window 04-account "$properties"
    xdotool key Return
    await_hidden "$properties" "메일 서버 등록 정보" || return 1

    click $(on_page 52 -7) # the tab "보내는 메일"
    sleep 0.5
    keys_to "$sheet" alt+s
    xdotool type 127.0.0.1
    xdotool key alt+p ctrl+a type "$(cat "$work/sent/port")"
    xdotool key alt+n
    type_text "데모 사용자"
    xdotool key alt+e type demo@demo.test
    sleep 0.3
    shot_window 05-outgoing "$sheet"
    xdotool key Return
    await_hidden "$sheet" "환경 설정" || return 1

    expect_value 'POP3' ServerNumber 0x1 &&
        expect_value 'POP3\Server0' Name "데모 메일함" &&
        expect_value 'POP3\Server0' Address 127.0.0.1 &&
        expect_value 'POP3\Server0' Port "0x$(printf %x "$(account_port)")" &&
        expect_value 'POP3\Server0' Protocol "0x$protocol_code" &&
        expect_value 'SMTP' SMTPAddress 127.0.0.1 &&
        expect_value 'Setting' UserName "데모 사용자"
}

a_check_announces_the_new_mail() {
    tray_command n || return 1
    # dovecot logs each session's end with the mails fetched: whole over POP3, headers over IMAP.
    local fetched="pop3(demo).*Logged out.*retr=4/"
    [ "$protocol" = pop3 ] || fetched="imap(demo).*Logged out.*hdr_count=4 "
    wait_until 30 grep -q "$fetched" "$work/pop3/dovecot.log" ||
        { tail -5 "$work/pop3/dovecot.log"; return 1; }
    # The account announces new mail with a balloon and the postman window.
    local balloon x y
    xdotool mousemove 0 0 # the icon's tool tip goes; the balloon stays
    sleep 0.5
    balloon=$(await_unnamed_window explorer.exe "balloon of the tray icon") || return 1
    sleep 0.5
    read -r x y _ _ < <(geometry "$balloon") || return 1
    shot 06-new-mail-balloon $((x - 20)) $((y - 20)) $((desktop_w - x + 20)) $((desktop_h - y + 20))
    postman=$(await_window Tidemark) || return 1
    wait_until 10 eval '[ "$(tray_icon_pixels)" != "$idle_icon" ]' || { echo "the tray icon did not change"; return 1; }
    [ "$(temp_mail_files | wc -l)" -eq 4 ] || { echo "fetched mail files:"; temp_mail_files; return 1; }
    tray_tooltip_shot 06-new-mail-tray
}

double_click_on_the_tray_shows_the_postman() {
    click_at "$postman" 0 0 199 6 # its hide button
    await_hidden "$postman" Tidemark || return 1
    double_click "$icon_x" "$icon_y"
    wait_until 20 is_shown "$postman" || { echo "the postman window stayed hidden"; return 1; }
    sleep 0.5
    shot_window 07-postman "$postman"
}

# The mailbox page lies 1 unit right and 27.6 below the postman's top; its
# list's first row is 14.6 units into the list (32 units into the page), a
# row 8.6 units high.
row_y() {
    awk -v n="$1" 'BEGIN { print 27.6 + 32 + 14.6 + n * 8.6 }'
}

a_mail_opens_with_its_korean_body() {
    local body
    double_click $(at "$postman" 0 0 60 "$(row_y 0)")
    viewer=$(await_window "메일 본문 보기") || return 1
    sleep 0.5
    shot_window 08-mail-view "$viewer"
    # What the body shows, through the clipboard.
    click_at "$viewer" 258 186 120 120
    keys_to "$viewer" ctrl+a ctrl+c
    wait_until 10 eval 'body=$(xclip -o -selection clipboard 2>/dev/null); [ -n "$body" ]'
    for text in "$welcome_heading" "데모 메일함" "우체부 아저씨 창에서 메일을 두 번 누르면 본문을 봅니다."; do
        [[ "$body" == *"$text"* ]] || { echo "the body shows:"; echo "$body"; return 1; }
    done
    # Looking over IMAP changes nothing on the server: the mail stays unread.
    [ "$protocol" = pop3 ] || ! ls "$work/pop3/mail/demo/Maildir/cur" | grep -q "01-welcome.*:2,.*S" ||
        { echo "the mail became read"; return 1; }
}

a_reply_with_an_attachment_reaches_the_sink() {
    local picker answer attachment="$work/journey-notes.txt"
    printf 'Tidemark journey: notes\r\n' >"$attachment"
    click_at "$viewer" 258 186 101 172 # "답장쓰기"
    await_hidden "$viewer" "메일 본문 보기" || return 1
    click_at "$postman" 0 0 100 $((28 + 70)) # the body
    type_text "$reply_text"
    click_at "$postman" 0 0 19 $((28 + 110)) # "첨부 파일"
    picker=$(await_window "열기") || return 1
    keys_to "$picker" ctrl+a
    xdotool type "Z:${attachment//\//\\}"
    xdotool key Return
    await_hidden "$picker" "열기" || return 1
    sleep 0.3
    shot_window 09-quick-mail "$postman"
    click_at "$postman" 0 0 191 $((28 + 17)) # the send button
    local stored="$work/sent/$welcome_sender"
    wait_until 30 test -s "$stored.parsed" || { echo "the sink received nothing"; return 1; }
    answer=$(await_window Tidemark "$postman") || return 1
    shot_window 10-sent "$answer"
    keys_to "$answer" Return
    await_hidden "$answer" "the message of the sending" || return 1
    grep -qx "Attachment: journey-notes.txt" "$stored.parsed" || { cat "$stored.parsed"; return 1; }
    cmp "$attachment" "$stored.attachment1" || return 1
    grep -q "^Subject: Re: " "$stored.eml" || { head -20 "$stored.eml"; return 1; }
    iconv -f CP949 -t UTF-8 "$stored.body" | grep -qF "$reply_text" || { cat "$stored.body"; return 1; }
}

a_mail_deleted_from_the_mailbox_leaves_the_server() {
    local question
    [ "$(server_list | wc -l)" -eq 4 ] || { server_list; return 1; }
    click_at "$postman" 0 0 20 20 # the tab "우편함"
    sleep 0.3
    click $(at "$postman" 0 0 60 "$(row_y 1)")
    click_at "$postman" 0 0 191 $((28 + 17)) # the delete button
    question=$(await_window Tidemark "$postman") || return 1
    shot_window 11-delete-question "$question"
    keys_to "$question" y
    wait_until 20 eval '[ "$(server_list | wc -l)" -eq 3 ]' || { server_list; return 1; }
    if ls "$work/pop3/mail/demo/Maildir/cur" | grep -q "$deleted_mail"; then
        echo "another mail was deleted:"
        ls "$work/pop3/mail/demo/Maildir/cur"
        return 1
    fi
    sleep 0.5
    shot_window 12-after-delete "$postman"
}

exit_from_the_tray_menu_leaves_nothing() {
    tray_command x || return 1
    wait_until 20 eval '[ -z "$(tidemark_processes)" ]' || { echo "tidemark.exe still runs"; return 1; }
    [ -z "$(temp_mail_files)" ] || { echo "left behind:"; temp_mail_files; return 1; }
}

started=$SECONDS
test_case "$suite.StartsResidentInTheTrayWithoutAnAccount" starts_resident_in_the_tray
test_case "$suite.OptionsOpenFromTheTrayMenu" options_open_from_the_tray_menu
test_case "$suite.AnAccountAndTheOutgoingServerAreTypedIn" an_account_is_added_by_typing
test_case "$suite.ACheckFromTheTrayMenuAnnouncesTheNewMail" a_check_announces_the_new_mail
test_case "$suite.ADoubleClickOnTheTrayIconShowsThePostman" double_click_on_the_tray_shows_the_postman
test_case "$suite.AMailOpensWithItsKoreanBody" a_mail_opens_with_its_korean_body
test_case "$suite.AReplyWithAnAttachmentReachesTheServer" a_reply_with_an_attachment_reaches_the_sink
test_case "$suite.AMailDeletedFromTheMailboxLeavesTheServer" a_mail_deleted_from_the_mailbox_leaves_the_server
test_case "$suite.ExitFromTheTrayMenuLeavesNothingBehind" exit_from_the_tray_menu_leaves_nothing
echo "The journey took $((SECONDS - started)) s; screenshots in $shots"
stop_everything
trap - EXIT
finish_tests "$report"
