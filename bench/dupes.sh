#!/bin/sh
# The duplicate search against jdupes and rdfind on one tree, from a warm
# cache, and the linking run against bare calls. See bench/README.md.
# Usage: bench/dupes.sh [TREE] (default /work/bench-tree, made when missing).
set -eu
cd "$(dirname "$0")/.."
TREE=${1:-/work/bench-tree}
ROUNDS=${ROUNDS:-3}
# The native peers, for this benchmark only.
missing=""
for p in jdupes rdfind; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing >/dev/null
fi
[ -d "$TREE" ] || python3 bench/make_dupe_tree.py "$TREE"
g++ -O2 -o build/bench/bare_walk_native bench/bare_walk_native.cpp
export WINEPREFIX=$PWD/build/wineprefix WINEDEBUG=-all
(wineserver -p >/dev/null 2>&1 </dev/null &)
wine cmd /c exit >/dev/null 2>&1 </dev/null
WTREE="Z:$(printf %s "$TREE" | tr / '\\')"
out=$(mktemp -d)
# Seconds a command takes, its output kept in $out/last.
timed() {
  t0=$(date +%s.%N)
  "$@" >"$out/last" 2>&1 </dev/null || true
  t1=$(date +%s.%N)
  echo "$t1 - $t0" | bc
}
echo "warming the cache..."
find "$TREE" -type f -print0 | xargs -0 cat >/dev/null
for r in $(seq "$ROUNDS"); do
  echo "round $r (load $(cut -d' ' -f1 /proc/loadavg))"
  echo "  jdupes -r -q -m:       $(timed jdupes -r -q -m "$TREE") s; $(tail -1 "$out/last")"
  echo "  rdfind -dryrun true:   $(cd "$out" && timed rdfind -dryrun true "$TREE") s; $(grep -i 'totally' "$out/last" | tail -1)"
  echo "  Quenmoor (wine):       $(timed wine build/bench/dupes_bench.exe search "$WTREE") s; $(cat "$out/last")"
  echo "  bare walk+read, wine:  $(timed wine build/bench/dupes_bench.exe bare "$WTREE") s; $(cat "$out/last")"
  echo "  bare walk+read, Linux: $(timed build/bench/bare_walk_native "$TREE") s; $(cat "$out/last")"
done
echo "linking run:"
wine build/bench/dupes_bench.exe link 2000 5 >"$out/last" 2>&1 </dev/null; cat "$out/last"
rm -rf "$out"
