#!/bin/bash
# Installs what is missing, builds tidemark.exe and starts it under Wine on a
# desktop with a taskbar (Xvfb when there is no display).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" windows
source "$root/scripts/wine-env.sh"
tidemark_enter_wine
echo "Tidemark runs on display $DISPLAY (Wine prefix $WINEPREFIX)"
"$WINE" explorer /desktop=Tidemark,1024x700 "$root/build/windows/tidemark.exe"
