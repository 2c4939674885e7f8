#!/bin/bash
# Prints Tidemark's settings in the run script's Wine prefix (or in
# $WINEPREFIX) as UTF-8 text: every value below
# HKEY_CURRENT_USER\Software\Harrowby\Tidemark, or below its subkey SUBKEY.
#   scripts/settings.sh [SUBKEY]        e.g. scripts/settings.sh 'POP3\Server0'
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
key='HKCU\Software\Harrowby\Tidemark'
[ $# -eq 0 ] || key="$key\\$1"
# reg writes in the ANSI code page of the Korean locale, 949.
"$WINE" reg query "$key" /s | iconv -c -f CP949 -t UTF-8 | tr -d '\r'
