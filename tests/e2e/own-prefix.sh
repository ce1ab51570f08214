#!/bin/sh
# Runs a test program under Wine in a prefix of its own. A drive kind other
# than "-" makes every drive of that kind; Wine reads the drive kinds when its
# server starts, so the server is restarted after they are set. The caller's
# environment (a locale, say) reaches every Wine process. Every Wine output
# is detached.
set -u
prefix=$1 kind=$2
shift 2
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$prefix"
wine_quiet() { "$@" >/dev/null 2>&1 </dev/null; }
wine_quiet wineserver -p &
wine_quiet wine cmd /c exit
if [ "$kind" != - ]; then
  for drive in c: z:; do
    wine_quiet wine reg add 'HKLM\Software\Wine\Drives' /v "$drive" /d "$kind" /f
  done
  wine_quiet wineserver -k
  wine_quiet wineserver -w
  wine_quiet wineserver -p &
  wine_quiet wine cmd /c exit
fi
QUENMOOR_DRIVES=$kind wine "$@" >"$prefix/test.log" 2>&1 </dev/null
rc=$?
cat "$prefix/test.log"
wine_quiet wineserver -k
exit $rc
