#!/usr/bin/env bash
# varneth-cli link and corporate-action: the linked program's settings and link file, and applying
# and fetching corporate actions, with their messages and exit statuses.
set -euo pipefail

CLI=$1
# Short, since the program's directory must fit the 25 bytes of its field.
T=$(mktemp -d /tmp/vlXXXXXX)
trap 'rm -rf "$T"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
run() {
    set +e
    OUT=$("$CLI" "$@" 2>"$T/stderr")
    RC=$?
    set -e
}
expect() {  # rc stdout description
    [[ $RC == "$1" && $OUT == "$2" ]] || fail "$3: exit $RC stdout [$OUT], expected $1 [$2]; stderr $(cat "$T/stderr")"
}

B=$T/b
D=$T/d
W=$T/w
"$CLI" init "$B" --bare
"$CLI" init "$D"
mkdir "$W"

# --- link -----------------------------------------------------------------------------------
run --dir "$B" link write
expect 1 "路径没设好!" "nothing set"
run --dir "$B" link set --path "$W" --name wt.sh
expect 0 "" "set on an empty list"
run --dir "$B" export wt_path.DB
expect 0 "Path,Name,Wtrj,Now
$W/,wt.sh,,T" "the first row, marked current"
run --dir "$B" link write
expect 1 "设置的委托程序不存在, 供联网核对的路径和程序文件不能产生！" "no such program"
[[ ! -e $W/path.txt ]] || fail "a link file written for a missing program"

printf '#!/bin/sh\n' >"$W/wt.sh"
run --dir "$B" --now "2026-12-07 09:30:00" link write
expect 0 "" "first link file"
[[ $(cat "$W/path.txt") == "$B"$'\n'"$B/user"$'\n'"2026-12-07" ]] || fail "first link file: $(cat "$W/path.txt")"

printf 'old\nold/user\n2001-01-01\nkeep 4\nkeep 5\n' >"$W/path.txt"
run --dir "$D" --account 示范帐户 link set --path "$W" --name wt.sh
run --dir "$D" --account 示范帐户 link write
expect 0 "" "rewritten link file"
[[ $(cat "$W/path.txt") == "$D"$'\n'"$D/demo"$'\n'"2001-01-01"$'\n'"keep 4"$'\n'"keep 5" ]] ||
    fail "lines 3 to 5 kept: $(cat "$W/path.txt")"

run --dir "$B" link set --path "$W/a-directory-too-long" --name wt.sh
expect 1 "路径：$W/a-directory-too-long/ 太长，最多25字节(汉字算两字节)。" "a path wider than its field"

# --- corporate-action -------------------------------------------------------------------------
run --dir "$B" corporate-action fetch
expect 1 "本帐户的子目录就是user，没有可取的记录。" "fetch in the shared account itself"

DEMO=(--dir "$D" --account 示范帐户)
run "${DEMO[@]}" corporate-action fetch
expect 0 "" "fetch"

holding() { "$CLI" "${DEMO[@]}" export tr2.DBF | awk -F, -v c="$1" '$1=="" && $6==c {print $8 "@" $9 "|" $18}'; }
cash() { "$CLI" "${DEMO[@]}" export tr2.DBF | awk -F, '$1=="" && $2=="htzq" && $6=="xj" {print $8}'; }

# Row 2: 600036, 20 yuan per 10 shares, no tax: 10000 shares at 38.2 lose 2 a share, the cash row gains 20000.
run "${DEMO[@]}" corporate-action apply --row 2
expect 0 "1个记录中有,10000股；处理成功！" "dividend"
[[ $(holding 600036) == "10000@36.2|派20" ]] || fail "dividend holding: $(holding 600036)"
[[ $(cash) == 406520.35 ]] || fail "dividend cash: $(cash)"
[[ $("$CLI" "${DEMO[@]}" export sph.db | sed -n 3p) == "2026-07-10,600036,招商银行,h,20,,0,10000股,20000元,10000股" ]] ||
    fail "entry written back: $("$CLI" "${DEMO[@]}" export sph.db | sed -n 3p)"

run "${DEMO[@]}" corporate-action apply --row 1 --no-cash
expect 0 "1个记录中有,200股；处理成功！" "dividend without the cash"
[[ $(holding 600519) == "200@1452.376|派276.24" ]] || fail "no-cash holding: $(holding 600519)"
[[ $(cash) == 406520.35 ]] || fail "no-cash: the cash row moved to $(cash)"

run "${DEMO[@]}" corporate-action apply --row 4
expect 1 "没有第4个记录(共3个)。" "no such row"
run "${DEMO[@]}" corporate-action apply --row x
[[ $RC == 2 ]] || fail "a row that is not a number is a usage error (exit $RC)"
echo "link commands: all passed"
