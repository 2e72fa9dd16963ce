#!/usr/bin/env bash
# varneth-cli fund, transfer and invest on the demonstration account: one market row a day, a
# transfer across currencies booked whole or not at all, the report file and the questions.
set -euo pipefail

CLI=$1
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
NOW=(--now "2026-12-07 15:00:00")
run() {  # runs the CLI on the demonstration directory; sets $out and $rc
    set +e
    out=$("$CLI" --dir "$T/p" "${NOW[@]}" "$@" 2>&1)
    rc=$?
    set -e
}
expect() {  # rc expected-output description
    [[ $rc == "$1" ]] || fail "$3: exit $rc, expected $1 [$out]"
    [[ $out == "$2" ]] || fail "$3: got [$out] expected [$2]"
}
sql() { "$CLI" --dir "$T/p" sql "$1" | tail -n +2; }

"$CLI" init "$T/p" >/dev/null

run fund recompute
expect 0 "" "the daily button"
run fund recompute
expect 0 "" "again the same day"
[[ $(sql "SELECT count(*) FROM \"Fund2.DB\" WHERE DT='2026-12-07' AND PYCODE='***'") == 1 ]] ||
    fail "one market row for the day"
[[ $(sql "SELECT INPUT FROM \"Fund2.DB\" WHERE DT='2026-12-07'") == 0 ]] ||
    fail "the book is worth what the ledger says: no gain"

run transfer --from 10086601 --to 20668802 --amount 1000
expect 0 "资金帐户10086601转出数额1000
资金帐户20668802转入数额1087
资金进出文件添加记录成功,按结算货币计算金额是1000" "a transfer into the account at rate 0.92"
[[ $(sql "SELECT AMT FROM \"tr2.DBF\" WHERE ZJZH='20668802' AND CODE='xj'") == 59327 ]] ||
    fail "the destination's cash row"
[[ $(sql "SELECT AMT FROM \"tr2.DBF\" WHERE ZJZH='10086601' AND CODE='xj' AND WTH<>''") == -104600 ]] ||
    fail "the frozen cash of the pending order stays"
[[ $(sql "SELECT PYCODE, INPUT, NOTE FROM \"Fund2.DB\" WHERE PYCODE LIKE '\$%' ORDER BY INPUT DESC") == \
    $'$10086\t1000\t转出1000汇率1\n$20668\t-1000\t转入1000汇率0.92' ]] || fail "the two fund-ledger rows"

rows=$(sql "SELECT count(*) FROM \"Fund2.DB\"")
run transfer --from 10086601 --to 99999999 --amount 1000
expect 1 "没找到相应的资金帐户现金记录！" "a destination without cash row"
run transfer --to 20668802 --amount 1000
expect 1 "资金来源没填好,退出从来!" "no source"
for amount in -500 0 1e20 1000000000000.5; do
    run transfer --from 10086601 --to 20668802 --amount "$amount"
    expect 1 "金额必须大于0且不超过1000000000000" "a transfer of $amount"
done
for amount in 0 -1e13; do
    run invest --pycode lxh --zjzh 20668802 --qsdm zszq --amount "$amount" --xabc a
    expect 1 "金额不能为0且绝对值不超过1000000000000" "an investor's money of $amount"
done
[[ $(sql "SELECT count(*) FROM \"Fund2.DB\"") == "$rows" ]] || fail "refused transfers add no rows"
[[ $(sql "SELECT AMT FROM \"tr2.DBF\" WHERE ZJZH='10086601' AND CODE='xj' AND WTH=''") == 385520.35 ]] ||
    fail "refused transfers move no money"

run invest --pycode lxh --name "" --zjzh 20668802 --qsdm zszq --amount 1000 --xabc a --note 追加
expect 0 "持仓文件相应资金帐户金额已经增加1000
资金进出文件添加记录成功,投资额折算成920" "an investor's money at the account's rate"
[[ $(sql "SELECT NAME, XABC, NOTE FROM \"Fund2.DB\" WHERE NOTE='追加'") == $'李晓红\ta\t追加' ]] ||
    fail "the investor's row takes the name of the code's first row"
run invest --pycode lxh --zjzh 20668802 --qsdm zszq --amount 1000 --xabc q
expect 1 "投资类型没选好,退出从来!" "an unknown investment type"

run --no fund report --out "$T/r.txt"
expect 1 "本操作自选定记录往下打印资金进出记录,唯选最下面的记录将打印一页最新内容。继续吗？ [No]" "report declined"
[[ ! -e $T/r.txt ]] || fail "a declined report writes no file"
run --yes fund report --out "$T/r.txt"
expect 0 "本操作自选定记录往下打印资金进出记录,唯选最下面的记录将打印一页最新内容。继续吗？ [Yes]" "report"
[[ $(grep -c '^20[0-9][0-9]-' "$T/r.txt") == 50 ]] || fail "the last row current: the newest 50 rows"
grep -q '第1页， 共1页   打印时间:2026-12-07 15:00:00' "$T/r.txt" || fail "the page line"
run --yes fund report --out "$T/all.txt" --from-row 1
[[ $(grep -c '第.页， 共6页' "$T/all.txt") == 6 ]] || fail "from the first row: every row, 50 a page"

run --answers yn fund compress
[[ $rc == 0 ]] || fail "compress: exit $rc"
[[ $out == *"合并记录成功，原记录数:"*"从头计算基金价格？ [No]" ]] || fail "compress asks twice [$out]"
[[ $(sql "SELECT count(*) FROM \"Fund2.DB\" WHERE PYCODE='***' AND INPUT=0") == 0 ]] ||
    fail "market rows of 0 are gone"
run --no fund compress
[[ $rc == 1 && $out == 本操作将删除投入数为0的记录*"继续吗? [No]" ]] || fail "compress declined [$out]"

run fund fillnum
expect 0 "" "fillnum"
run fund recompute --from-row x
[[ $rc == 2 ]] || fail "a row number that does not read is a usage error"
run fund recompute --from-row 9999
[[ $rc == 1 && $out == 资金进出文件没有第9999行* ]] || fail "a row the ledger lacks [$out]"
run fund nothing
[[ $rc == 2 ]] || fail "an unknown fund action is a usage error"
run fund compress --from-row 3
[[ $rc == 2 ]] || fail "compress takes no row"
printf 'QSDM,ZJZH,CODE,AMT,PRICE1,PRICE2\nhtzq,10086601,600000,100,1,1\n' >"$T/typeless.csv"
"$CLI" --dir "$T/p" import tr2.DBF "$T/typeless.csv"
run --now "2026-12-08 15:00:00" fund recompute
expect 1 "类型码未添好,请在手工编辑窗口修改好再计算!" "a record without a type stops the valuation"
[[ $(sql "SELECT count(*) FROM \"Fund2.DB\" WHERE DT='2026-12-08'") == 0 ]] ||
    fail "an unfinished valuation writes no market row"
echo "fund commands: all passed"
