#!/usr/bin/env bash
# Runs the demo programs on the sample documents in a temporary directory and compares their
# standard output, with time stamps and sequence numbers masked, and their exit status with the
# reviewed expectations in expected/.
#
# Usage: run_demo_test.sh <vexl> <vexldemo> <samples dir> <expected dir> <case>
#   case: keyword | header | failures
# With DEMO_TEST_UPDATE=1 the outputs are written into the expected dir instead (review them).
set -u
export LC_ALL=C

vexl=$(realpath "$1") vexldemo=$(realpath "$2") samples=$(realpath "$3") expected=$(realpath "$4") case=$5
work=$(mktemp -d "${TMPDIR:-/tmp}/vexl_demo_test.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# The parts that depend on the clock or on earlier runs: date and time stamps, sequence numbers.
mask() {
    sed -E \
        -e 's/T=[0-9]{24}/T=<YYYYMMDDhhmmSS><seq><useq>/' \
        -e 's/\((ANF8YYYYMMDD)\) [0-9]+/(\1) <YYYYMMDD>/' \
        -e 's/\((ANF6hhmmSS)\) [0-9]+/(\1) <hhmmSS>/' \
        -e 's/\((ANF4seq_1)\) [0-9]+/(\1) <seq>/' \
        -e 's/\((ANF6useq_1)\) [0-9]+/(\1) <useq>/' \
        -e "s/^(SendDate +pkt_Make4OneSelf\(\) : \[008\] ')[0-9]{8}'/\1<YYYYMMDD>'/" \
        -e "s/^(SendTime +pkt_Make4OneSelf\(\) : \[006\] ')[0-9]{6}'/\1<hhmmSS>'/" \
        -e '/pkt_Make4Children\(\)/s/0000[0-9]{14}/0000<YYYYMMDDhhmmSS>/' |
        # A time of day is written as a number, so before 10:00 it has fewer digits: the sizes of
        # the texts written once the clock fields are shown depend on the hour.
        awk '/<hhmmSS>/ { clock = 1 } clock && /^size = \[[0-9]+\] bytes$/ { print "size = [<n>] bytes"; next } { print }'
}

# run <name> <expected status> <directory> <program> [arguments...]
# Runs the program in the directory and compares masked output and status with expected/<name>.
run() {
    local name=$1 status=$2 dir=$3
    shift 3
    local out="$work/$name.out" err="$work/$name.err" got
    (cd "$dir" && "$@") >"$out" 2>"$err"
    got=$?
    mask <"$out" >"$out.masked"
    if [ "${DEMO_TEST_UPDATE:-0}" = 1 ]; then
        cp "$out.masked" "$expected/$name.txt"
    elif ! cmp -s "$out.masked" "$expected/$name.txt"; then
        fail "$name: output differs from $expected/$name.txt"
        diff -a "$expected/$name.txt" "$out.masked" | head -40
    fi
    [ "$got" = "$status" ] || fail "$name: exit status $got, expected $status"
    if [ -s "$err" ]; then
        fail "$name: wrote to the error stream"
        head -20 "$err"
    fi
}

case $case in
keyword)
    mkdir "$work/k"
    cp "$samples/keyword.vexl" "$work/k/"
    run vexl_keyword 0 "$work/k" "$vexl" keyword.vexl
    # The saved document is the writer's text and loads again.
    saved="$work/k/SER_HFW[2]SIS_BASIC.vexl"
    if [ "${DEMO_TEST_UPDATE:-0}" = 1 ]; then
        cp "$saved" "$expected/vexl_keyword.saved.vexl"
    elif ! cmp -s "$saved" "$expected/vexl_keyword.saved.vexl"; then
        fail "the saved document differs from $expected/vexl_keyword.saved.vexl"
    fi
    mkdir "$work/again"
    cp "$saved" "$work/again/saved.vexl"
    (cd "$work/again" && "$vexl" saved.vexl >/dev/null 2>&1) || fail "the saved document does not run again"
    # The persisted counter goes on in the same folder: the second run draws useq 2.
    (cd "$work/k" && "$vexl" keyword.vexl | grep -a -q -x '    "useq" = (ANF6useq_1) 2') ||
        fail "useq_ did not continue after a restart"
    [ "$(cat "$work/k/vxseq_1_1")" = 0000000002 ] || fail "slot file vxseq_1_1 does not hold 2"
    run vexldemo_keyword 0 "$work/k" "$vexldemo" keyword.vexl
    ;;
header)
    mkdir "$work/h"
    cp "$samples/header.vexl" "$work/h/"
    run vexl_header 0 "$work/h" "$vexl" ./header.vexl
    [ -f "$work/h/SER_HFW[2]SIS_BASIC.vexl" ] || fail "no document saved beside ./header.vexl"
    run vexldemo_header 0 "$work/h" "$vexldemo" ./header.vexl
    ;;
failures)
    mkdir "$work/f"
    cp "$samples/header.vexl" "$work/f/"
    printf '{ "a" = 1 "b" = 2 }' >"$work/f/malformed.vexl"
    run vexl_no_argument 255 "$work/f" "$vexl"
    run vexldemo_no_argument 255 "$work/f" "$vexldemo"
    run vexl_missing_file 254 "$work/f" "$vexl" missing.vexl
    run vexldemo_missing_file 254 "$work/f" "$vexldemo" missing.vexl
    run vexl_empty_path 254 "$work/f" "$vexl" ""
    run vexl_directory 254 "$work/f" "$vexl" .
    run vexl_malformed 254 "$work/f" "$vexl" malformed.vexl
    run vexldemo_malformed 254 "$work/f" "$vexldemo" malformed.vexl
    # A directory where the saved document should go: it cannot be opened for writing, whoever
    # runs the test.
    mkdir "$work/f/SER_HFW[2]SIS_BASIC.vexl"
    run vexl_unwritable 254 "$work/f" "$vexl" header.vexl
    ;;
*)
    echo "unknown case $case"
    exit 2
    ;;
esac

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all checks passed"
