#!/usr/bin/env bash
# varneth-cli link and corporate-action: the linked program's settings and link file, and applying
# and fetching corporate actions, with their messages and exit statuses.
set -euo pipefail

CLI=$1
# Short, since the program's directory must fit the width of its field.
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

LONG=$W/$(printf 'x%.0s' {1..300})
run --dir "$B" link set --path "$LONG" --name wt.sh
[[ $RC == 1 && $OUT == "路径：$LONG/ 太长，最多"*"字节(汉字算两字节)。" ]] || fail "a path wider than its field: $OUT"

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

# The three worked examples on a cash row of 0, behind the frozen cash of a pending order; a holding
# bought after the record date, an order and a closed-out row of the same code stay as they are.
printf '%s\n' "WTH,QSDM,ZJZH,GDDM,CODE,LX,AMT,PRICE1,DATE1" "26061010001,01,1001,A1,xj,xj,-500,1," \
    ",01,1001,xj,xj,xj,0,1," ",01,1001,A1,600000,A,1000,12,2026-06-01" ",01,1001,A1,600001,A,1000,10,2026-06-01" \
    ",01,1001,A1,600002,A,1000,12,2026-06-01" ",01,1001,A1,600000,A,300,11,2026-06-16" \
    "26061410001,01,1001,A1,600000,A,200,9,2026-06-14" "P2026060210,01,1001,A1,600000,A,100,8,2026-05-02" >"$T/tr2.csv"
printf '%s\n' "Dj_date,Code,Sph,Num,Price,Tax" "2026-06-15,600000,s,10,," "2026-06-15,600001,p,3,5," \
    "2026-06-15,600002,h,2,,0.2" >"$T/sph.csv"
ME=(--dir "$B" --account 我的帐户)
"$CLI" "${ME[@]}" import tr2.DBF "$T/tr2.csv"
"$CLI" "${ME[@]}" import sph.db "$T/sph.csv"
for r in 1 2 3; do
    run "${ME[@]}" corporate-action apply --row $r
    expect 0 "1个记录中有,1000股；处理成功！" "example $r"
done
[[ $("$CLI" "${ME[@]}" export tr2.DBF | cut -d, -f1,6,8,9,18 | tr '\n' ' ') == \
    "WTH,CODE,AMT,PRICE1,NOTE 26061010001,xj,-500,1, ,xj,-1300,1, ,600000,2000,6,送10 ,600001,1300,8.846153846153847,配3 ,600002,1000,11.84,派2 ,600000,300,11, 26061410001,600000,200,9, P2026060210,600000,100,8, " ]] ||
    fail "examples: $("$CLI" "${ME[@]}" export tr2.DBF)"
[[ $("$CLI" "${ME[@]}" export sph.db | cut -d, -f8-10 | tr '\n' ' ') == "Amt1,Amt2,Amt12 1000股,1000股,2000股 1000股,300股,1300股 1000股,160元,1000股 " ]] ||
    fail "examples written back: $("$CLI" "${ME[@]}" export sph.db)"

run "${DEMO[@]}" corporate-action apply --row 4
expect 1 "没有第4个记录(共3个)。" "no such row"
run "${DEMO[@]}" corporate-action apply --row x
[[ $RC == 2 ]] || fail "a row that is not a number is a usage error (exit $RC)"
echo "link commands: all passed"
