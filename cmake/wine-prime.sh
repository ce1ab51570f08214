#!/bin/sh
# Starts a persistent wineserver and primes the prefix. Every output is
# detached: Wine's background services would otherwise inherit ctest's pipes
# and ctest would wait for them forever.
export WINEPREFIX="$1"
export WINEDEBUG=-all
mkdir -p "$WINEPREFIX"
wineserver -p >/dev/null 2>&1 </dev/null &
wine cmd /c exit >/dev/null 2>&1 </dev/null
# Windows is the reference: tests expect the prefix to report a recent NT.
exit 0
