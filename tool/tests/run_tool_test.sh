#!/usr/bin/env bash
# Drives vexl-tool as a user would, in a temporary directory with copies of inputs/, and
# compares exit status, standard output and standard error of every run with the reviewed
# expectations in expected/<name>.txt.
#
# Usage: run_tool_test.sh <vexl-tool> <tests dir> <case> <json: 0|1>
#   case: help | check | fmt | convert | pack | unpack | verify | get | fuzz
# With TOOL_TEST_UPDATE=1 the expectations are written instead (review them).
set -u
export LC_ALL=C
unset VEXL_PASSWORD NO_COLOR

tool=$(realpath "$1") tests=$(realpath "$2") case=$3 json=$4
expected="$tests/expected"
work=$(mktemp -d "${TMPDIR:-/tmp}/vexl_tool_test.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
cp "$tests"/inputs/* "$work/"
cd "$work" || exit 1
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# run <name> <expected status> <command...>: stdin from /dev/null unless STDIN names a file.
run() {
    local name=$1 status=$2
    shift 2
    local got prog=$tool
    # Status "-": the command is not the tool (e.g. showing a file it wrote).
    if [ "$status" = - ]; then prog=$1 status=0; shift; fi
    "$prog" "$@" <"${STDIN:-/dev/null}" >"$work/.out" 2>"$work/.err"
    got=$?
    {
        echo "== status $got"
        echo "== stdout"
        cat "$work/.out"
        echo "== stderr"
        cat "$work/.err"
    } >"$work/.got"
    if [ "${TOOL_TEST_UPDATE:-0}" = 1 ]; then
        cp "$work/.got" "$expected/$name.txt"
    elif ! cmp -s "$work/.got" "$expected/$name.txt"; then
        fail "$name: differs from expected/$name.txt"
        diff -a "$expected/$name.txt" "$work/.got" | head -40
    fi
    [ "$got" = "$status" ] || fail "$name: exit status $got, expected $status"
}

# The same with no golden file: only the status is compared.
status_of() {
    local name=$1 status=$2 got
    shift 2
    "$tool" "$@" </dev/null >/dev/null 2>"$work/.err"
    got=$?
    [ "$got" = "$status" ] || fail "$name: exit status $got, expected $status"
}

no_temp_files() {
    local left
    left=$(find "$work" -name '.vexl-tool.*' | head -1)
    [ -z "$left" ] || fail "$1: temporary file left behind: $left"
}

case $case in
help)
    run help_program 0 --help
    for c in check fmt convert pack unpack verify get; do
        run "help_$c" 0 "$c" --help
    done
    run usage_no_command 2
    run usage_unknown_command 2 frobnicate
    run usage_unknown_option 2 check --frob config.vexl
    run usage_missing_value 2 check config.vexl --password-file
    ;;
check)
    run check_valid 0 check config.vexl layout.vexl
    run check_quiet 0 check -q config.vexl
    run check_errors 1 check bad.vexl config.vexl
    run check_missing 1 check missing.vexl
    run check_directory 1 check .
    # Root may read any file, so unreadable is shown with a file that opens but fails to read
    # (/proc/self/mem at offset 0) and with a path that cannot be opened at all.
    run check_unreadable 1 check /proc/self/mem config.vexl/inner
    : >empty.vexl
    run check_empty 1 check empty.vexl
    truncate -s 2G huge.vexl
    run check_huge 1 check huge.vexl
    rm -f huge.vexl
    printf '\x00\xff\x10garbage\x01\x02\n\x7f' >garbage.bin
    run check_garbage 1 check garbage.bin
    printf 'VEXF\x01\x02' >short.vexb
    run check_short_binary 1 check short.vexb
    STDIN=bad.vexl run check_stdin 1 check -
    # A file the system gives a size of 0 for but that has content (as under /proc) is read to
    # its end, not taken for an empty document.
    "$tool" check /proc/self/cmdline >/dev/null 2>"$work/.err"
    grep -q 'empty document' "$work/.err" && fail "a /proc file was read as empty"
    grep -q '^/proc/self/cmdline:1:1: error:' "$work/.err" || fail "no diagnostic for a /proc file"
    # A document of many reads' size is read whole: valid, and the same after a round trip
    # through the binary form.
    { printf '{ "items" = ['; seq -s, 1 100000 | tr -d '\n'; printf '] }\n'; } >big.vexl
    status_of check_big 0 check -q big.vexl
    "$tool" convert big.vexl big.vexb && "$tool" convert big.vexb big_back.vexl &&
        "$tool" fmt big.vexl | cmp -s - big_back.vexl || fail "a large document changed on a round trip"
    # Several documents in one run: each is loaded into a tree of its own.
    "$tool" fmt small.vexl config.vexl >two.txt
    { "$tool" fmt small.vexl && "$tool" fmt config.vexl; } | cmp -s - two.txt ||
        fail "fmt of two documents differs from fmt of each"
    run check_no_file 2 check
    # Encrypted documents: the password from a file or the environment, never the command line.
    printf 'secret\n' >pw.txt
    printf 'wrong\n' >wrong.txt
    "$tool" convert --password-file pw.txt config.vexl secret.vexb || fail "could not write secret.vexb"
    run check_encrypted_no_password 1 check secret.vexb
    run check_encrypted_wrong_password 1 check --password-file wrong.txt secret.vexb
    run check_encrypted_password_file 0 check --password-file pw.txt secret.vexb
    VEXL_PASSWORD=secret run check_encrypted_environment 0 check secret.vexb
    run check_password_file_missing 1 check --password-file nope.txt secret.vexb
    # Colour never reaches a file or a pipe; on a terminal (made by script(1)) it is there, and
    # NO_COLOR turns it off.
    grep -q $'\033' "$expected/check_errors.txt" && fail "colour codes in a redirected stream"
    if command -v script >/dev/null; then
        script -qec "'$tool' check bad.vexl" /dev/null >tty.txt 2>&1
        grep -q $'\033\\[1;31merror:' tty.txt || fail "no colour on a terminal"
        NO_COLOR=1 script -qec "'$tool' check bad.vexl" /dev/null >tty.txt 2>&1
        grep -q $'\033' tty.txt && fail "colour on a terminal with NO_COLOR set"
        grep -q 'bad.vexl:3:11: error:' tty.txt || fail "no diagnostic on a terminal with NO_COLOR set"
    fi
    ;;
fmt)
    run fmt_stdout 0 fmt messy.vexl
    run fmt_check_changes 1 fmt --check messy.vexl config.vexl
    run fmt_options 0 fmt --indent 4 --multi-line-arrays --no-comments config.vexl
    STDIN=messy.vexl run fmt_stdin 0 fmt -
    cp messy.vexl inplace.vexl
    chmod 640 inplace.vexl
    run fmt_in_place 0 fmt --in-place inplace.vexl
    [ "$(stat -c %a inplace.vexl)" = 640 ] || fail "fmt --in-place changed the file mode"
    "$tool" fmt messy.vexl | cmp -s - inplace.vexl || fail "fmt --in-place wrote other text than fmt"
    run fmt_check_after_in_place 0 fmt --check inplace.vexl
    no_temp_files fmt_in_place
    # A failing document is left exactly as it was.
    cp bad.vexl bad_copy.vexl
    run fmt_in_place_invalid 1 fmt -i bad_copy.vexl
    cmp -s bad.vexl bad_copy.vexl || fail "fmt --in-place changed an invalid document"
    no_temp_files fmt_in_place_invalid
    # A link stays a link and the file it leads to gets the text.
    cp messy.vexl target.vexl
    ln -s target.vexl link.vexl
    run fmt_in_place_link 0 fmt -i link.vexl
    [ -L link.vexl ] || fail "fmt --in-place replaced a symbolic link with a file"
    cmp -s target.vexl inplace.vexl || fail "fmt --in-place did not format the file a link leads to"
    run fmt_bad_indent 2 fmt --indent 99 config.vexl
    run fmt_check_and_in_place 2 fmt --check -i config.vexl
    run fmt_missing 1 fmt missing.vexl
    ;;
convert)
    run convert_packet_text 0 convert --to packet-text config.vexl -
    run convert_to_binary 0 convert config.vexl plain.vexb
    run convert_binary_back 0 convert plain.vexb -
    printf 'secret\n' >pw.txt
    run convert_encrypted 0 convert --password-file pw.txt config.vexl secret.vexb
    run convert_encrypted_back 0 convert --password-file pw.txt secret.vexb -
    run convert_encrypted_no_password 1 convert secret.vexb -
    run convert_bad_input 1 convert bad.vexl out.vexl
    [ -e out.vexl ] && fail "convert left an output file for a bad input"
    run convert_missing_folder 1 convert config.vexl no/such/folder/out.vexl
    run convert_bad_format 2 convert --to yaml config.vexl out.yaml
    run convert_arguments 2 convert config.vexl
    no_temp_files convert
    if [ "$json" = 1 ]; then
        run convert_to_json_extras 1 convert config.vexl config.json
        [ -e config.json ] && fail "convert left an output file when JSON could not hold the document"
        run convert_to_json 0 convert --drop-extras config.vexl config.json
        run convert_json_file - cat config.json
        run convert_json_back 0 convert config.json -
        run convert_json_compact 0 convert --compact --to json small.vexl -
        printf '{"a": [1, 2,], "b": }' >bad.json
        run convert_bad_json 1 convert bad.json out.vexl
        [ -e out.vexl ] && fail "convert left an output file for bad JSON"
        printf '{"a": "\xff\xfe"}' >latin.json
        run convert_json_not_utf8 1 convert latin.json out.vexl
    fi
    ;;
pack)
    run pack_hex 0 pack --hex layout.vexl
    "$tool" pack layout.vexl >raw.msg || fail "pack to standard output failed"
    [ "$(wc -c <raw.msg)" = 25 ] || fail "pack wrote $(wc -c <raw.msg) bytes, expected 25"
    run pack_values 0 pack --hex layout.vexl values.vexl
    run pack_values_unknown 1 pack layout.vexl values_unknown.vexl
    run pack_cut 1 pack cut.vexl
    run pack_allow_cut 0 pack --hex --allow-cut cut.vexl
    run pack_output_file 0 pack -o out.msg layout.vexl
    cmp -s out.msg raw.msg || fail "pack -o wrote other bytes than pack to standard output"
    # A device is written to, not replaced.
    run pack_to_device 0 pack -o /dev/null layout.vexl
    [ -c /dev/null ] || fail "pack -o /dev/null replaced the device"
    run pack_cut_no_output 1 pack -o cut.msg cut.vexl
    [ -e cut.msg ] && fail "pack left an output file for refused values"
    run pack_bad_layout 1 pack bad.vexl
    run pack_arguments 2 pack
    if [ "$json" = 1 ]; then
        printf '{"head": {"id": 7}, "user": "grace"}' >values.json
        run pack_json_values 0 pack --hex layout.vexl values.json
    fi
    no_temp_files pack
    ;;
unpack)
    "$tool" pack layout.vexl >raw.msg || fail "pack failed"
    run unpack_raw 0 unpack layout.vexl raw.msg
    "$tool" pack --hex layout.vexl | cut -c11-50 >hex.msg
    run unpack_hex 0 unpack --hex layout.vexl hex.msg
    head -c 20 raw.msg >short.msg
    run unpack_short 1 unpack layout.vexl short.msg
    { cat raw.msg; printf 'XYZ'; } >long.msg
    run unpack_trailing 0 unpack layout.vexl long.msg
    printf 'xyz' >nothex.msg
    run unpack_not_hex 1 unpack --hex layout.vexl nothex.msg
    run unpack_missing 1 unpack layout.vexl missing.msg
    STDIN=raw.msg run unpack_stdin 0 unpack layout.vexl -
    [ "$json" = 1 ] && run unpack_json 0 unpack --json layout.vexl raw.msg
    ;;
verify)
    run verify_ok 0 verify fixed.vexl fixed_ok.msg
    run verify_bad_field 1 verify fixed.vexl fixed_bad.msg
    printf '07' >fixed_short.msg
    run verify_short 1 verify fixed.vexl fixed_short.msg
    { cat fixed_ok.msg; printf 'X'; } >fixed_long.msg
    run verify_trailing 0 verify fixed.vexl fixed_long.msg
    run verify_arguments 2 verify fixed.vexl
    ;;
get)
    run get_scalar 0 get config.vexl server.hosts[1]
    run get_raw 0 get -r config.vexl server.hosts[1]
    run get_id 0 get config.vexl '#7'
    run get_subtree 0 get config.vexl server
    run get_whole 0 get config.vexl ''
    run get_missing_path 1 get config.vexl server.nope
    run get_index_out_of_range 1 get config.vexl 'server.hosts[9]'
    run get_bad_path 1 get config.vexl 'server.hosts[x'
    run get_bad_document 1 get bad.vexl a
    [ "$json" = 1 ] && run get_json 0 get --json config.vexl server
    ;;
fuzz)
    # Seeded random inputs: every run ends with status 0 or 1 and never hangs or crashes.
    RANDOM=1401
    random_bytes() {
        local n=$1 s=''
        for ((i = 0; i < n; i++)); do s+=$(printf '\\x%02x' $((RANDOM % 256))); done
        printf '%b' "$s"
    }
    # Copies of a valid document with some bytes overwritten.
    mutate() {
        local src=$1 size flips
        size=$(wc -c <"$src")
        cp "$src" .fz
        flips=$((1 + RANDOM % 4))
        for ((k = 0; k < flips; k++)); do
            random_bytes 1 | dd of=.fz bs=1 seek=$((RANDOM % size)) conv=notrunc status=none
        done
        cat .fz
    }
    printf 'secret\n' >pw.txt
    "$tool" convert --password-file pw.txt config.vexl secret.vexb
    [ "$json" = 1 ] && "$tool" convert --drop-extras config.vexl config.json
    for ((t = 0; t < 150; t++)); do
        case $((t % 3)) in
        0) random_bytes $((RANDOM % 200)) >in.vexl ;;
        1) mutate config.vexl >in.vexl ;;
        2) mutate secret.vexb >in.vexl ;;
        esac
        timeout 10 "$tool" check --password-file pw.txt in.vexl >/dev/null 2>&1
        st=$?
        [ "$st" -le 1 ] || { fail "check: status $st on input $t:"; od -An -tx1 in.vexl | head -20; }
        if [ "$json" = 1 ]; then
            if [ $((t % 2)) = 0 ]; then random_bytes $((RANDOM % 200)) >in.json; else mutate config.json >in.json; fi
            timeout 10 "$tool" convert --from json in.json out.vexl >/dev/null 2>&1
            st=$?
            [ "$st" -le 1 ] || { fail "convert --from json: status $st on input $t:"; od -An -tx1 in.json | head -20; }
        fi
    done
    no_temp_files fuzz
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
