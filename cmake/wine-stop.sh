#!/bin/sh
WINEPREFIX="$1" wineserver -k >/dev/null 2>&1 </dev/null
exit 0
