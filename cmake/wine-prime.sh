#!/bin/sh
# Starts a persistent wineserver and primes the prefix. Every output is
# detached: Wine's background services would otherwise inherit ctest's pipes
# and ctest would wait for them forever.
export WINEPREFIX="$1"
export WINEDEBUG=-all
# No .NET or HTML engine: their installers would wait for a person.
export WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
wineserver -p >/dev/null 2>&1 </dev/null &
wine cmd /c exit >/dev/null 2>&1 </dev/null
exit 0
