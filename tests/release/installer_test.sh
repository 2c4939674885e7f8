#!/bin/bash
# The installer under Wine, in a Wine prefix of its own: silent installs
# with and without the start with Windows, the program started from where it
# was installed, and a silent uninstall that first closes the running
# program (which saves its settings on the way out) and leaves no files.
#   installer_test.sh BUILD_DIR   (the cross build, with tidemark-setup.exe)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/script_test.sh"

setup="$1/tidemark-setup.exe"
work="$1/installer-test"
export WINEPREFIX="$work/wineprefix"
source "$here/../../scripts/wine-env.sh"
tidemark_enter_wine
"$WINESERVER" -k 2>/dev/null
desktop="explorer /desktop=InstallerTest,800x600"

users=$(ls -d "$WINEPREFIX"/drive_c/users/*/ | grep -v /Public/ | head -1)
program_dir="${users}AppData/Local/Programs/Tidemark"
start_menu_link="${users}AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Tidemark.lnk"
rm -rf "$program_dir" "$start_menu_link"

run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
run_entry() { tidemark_registry_value "$run_key" Tidemark; }
"$WINE" reg delete 'HKCU\Software\Harrowby' /f >/dev/null 2>&1

install_without_startup() {
    "$WINE" "$setup" /S /NOSTARTUP || return 1
    [ -f "$program_dir/tidemark.exe" ] && [ -f "$program_dir/tidebell.wav" ] &&
        [ -f "$program_dir/uninstall.exe" ] || { ls -la "$program_dir"; return 1; }
    [ -f "$start_menu_link" ] || { echo "no Start-menu entry"; return 1; }
    [ -z "$(run_entry)" ] || { echo "Run: $(run_entry)"; return 1; }
}

install_with_startup() {
    "$WINE" "$setup" /S || return 1
    local command
    command=$(run_entry)
    [[ "$command" == '"C:\users\'*'\AppData\Local\Programs\Tidemark\tidemark.exe"' ]] || { echo "Run: $command"; return 1; }
}

# The installed program's own process (not the desktop that started it).
tidemark_running() {
    processes_of "$WINEPREFIX" | xargs -r ps -o cmd= -p | grep -q '^C:\\users\\.*\\Programs\\Tidemark\\tidemark\.exe'
}

start_installed_program() {
    $WINE $desktop 'C:\users\'"$(basename "$users")"'\AppData\Local\Programs\Tidemark\tidemark.exe' &
    wait_until 30 tidemark_running
}

uninstall_closes_program_and_removes_files() {
    $WINE $desktop "$program_dir/uninstall.exe" /S &
    # The uninstaller runs from a copy of itself and ends after the files.
    wait_until 60 eval '[ ! -e "$program_dir" ]' || { ls -la "$program_dir"; return 1; }
    wait_until 20 eval '! tidemark_running' || { echo "Tidemark still runs"; return 1; }
    [ ! -e "$start_menu_link" ] || { echo "Start-menu entry left"; return 1; }
}

closed_program_saved_its_settings() {
    # Only a program ended by its close message writes its settings; silent
    # uninstalls keep them.
    [ "$(tidemark_registry_value 'HKCU\Software\Harrowby\Tidemark\Setting' Duration)" = 0x5 ]
}

run_key_cleared() {
    [ -z "$(run_entry)" ] &&
        [ -z "$(tidemark_registry_value 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tidemark' DisplayName)" ]
}

test_case "Installer.SilentInstallWithoutStartupPutsTheProgramInTheUsersProgramsFolder" install_without_startup
test_case "Installer.SilentInstallWithStartupSetsTheRunKey" install_with_startup
test_case "Installer.ProgramStartsFromTheInstalledPath" start_installed_program
test_case "Installer.SilentUninstallClosesTheProgramAndLeavesNoFiles" uninstall_closes_program_and_removes_files
test_case "Installer.TheClosedProgramSavedItsSettings" closed_program_saved_its_settings
test_case "Installer.SilentUninstallClearsTheRunKey" run_key_cleared
"$WINESERVER" -k 2>/dev/null
finish_tests installer_test
