#!/usr/bin/env bash
# Compares `vexl-tool check` and `convert` with the same library calls made once by the
# minimal program oneshot_load, over the corpus documents, with hyperfine (commands of the
# same document are interleaved by hyperfine's runs; take min and median).
#
#   bench/tool-overhead.sh BUILD_DIR [CORPUS_DIR] [RUNS]
#
# BUILD_DIR is a configured build with benchmarks (e.g. build/ci). Outputs go to a temporary
# folder in /dev/shm (or $TMPDIR) so that the disk does not enter the figures. The JSON
# export of every hyperfine run is left in that folder.
set -euo pipefail
build=${1:?build folder, e.g. build/ci}
corpus=${2:-$(dirname "$0")/../../shared/corpus}
runs=${3:-60}
tool=$build/tool/vexl-tool
oneshot=$build/bench/oneshot_load
command -v hyperfine >/dev/null || { echo "hyperfine is needed (apt-get install hyperfine)" >&2; exit 2; }
[ -x "$tool" ] && [ -x "$oneshot" ] || { echo "build vexl-tool and oneshot_load first" >&2; exit 2; }
base=/dev/shm
[ -w "$base" ] || base=${TMPDIR:-/tmp}
out=$(mktemp -d "$base/vexl-overhead.XXXXXX")
echo "results in $out"
for doc in twitter citm_catalog canada; do
  in=$corpus/$doc.vexl
  hyperfine -N -w 5 -r "$runs" --export-json "$out/$doc.json" \
    -n "tool check $doc" "$tool check -q $in" \
    -n "lib  check $doc" "$oneshot check $in" \
    -n "tool binary $doc" "$tool convert --to binary $in $out/t.vexb" \
    -n "lib  binary $doc" "$oneshot binary $in $out/l.vexb" \
    -n "tool json $doc" "$tool convert --to json $in $out/t.json" \
    -n "lib  json $doc" "$oneshot json $in $out/l.json" >/dev/null
  python3 - "$out/$doc.json" <<'PY'
import json, statistics, sys
rs = {r["command"]: r["times"] for r in json.load(open(sys.argv[1]))["results"]}
for kind in ("check", "binary", "json"):
    doc = next(k.split()[-1] for k in rs)
    t, l = rs[f"tool {kind} {doc}"], rs[f"lib  {kind} {doc}"]
    print(f"{doc:13s} {kind:6s} tool min {min(t)*1e3:7.2f} med {statistics.median(t)*1e3:7.2f} ms | "
          f"lib min {min(l)*1e3:7.2f} med {statistics.median(l)*1e3:7.2f} ms | "
          f"ratio min {min(t)/min(l):.2f} med {statistics.median(t)/statistics.median(l):.2f}")
PY
done
