#!/bin/bash
# Runs a Windows program under the project's Wine environment.
# CMake uses it as the emulator for the cross build's tests.
source "$(dirname "$0")/wine-env.sh"
tidemark_enter_wine
"$WINE" "$@"
