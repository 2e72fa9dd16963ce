#!/usr/bin/env bash
# varneth-cli buy, sell, cancel, confirm and new-cash-account on the seed's own account "我的帐户"
# (one cash row: zxzq 10000001 holding 100000).
set -euo pipefail

CLI=$1
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
run() {  # "yyyy-mm-dd hh:nn:ss" command args…; stdout in OUT, status in RC
    local now=$1
    shift
    set +e
    OUT=$("$CLI" --dir "$T/p" --account 我的帐户 --now "$now" "$@" 2>"$T/err")
    RC=$?
    set -e
}
expect() {  # status stdout description
    [[ $RC == "$1" ]] || fail "$3: exit $RC, expected $1; stdout [$OUT] stderr [$(cat "$T/err")]"
    [[ $OUT == "$2" ]] || fail "$3: stdout"$'\n'"[$OUT]"$'\n'"expected"$'\n'"[$2]"
}
sql() { "$CLI" --dir "$T/p" --account 我的帐户 sql "$1"; }
rows() {  # the ledger's rows of code 600036 and the account's cash and frozen cash
    sql "select wth, gddm, code, round(amt, 4) as AMT, price1, date1, price2, cj_dh from \"tr2.dbf\" where zjzh='10000001' order by code, wth, amt"
}

"$CLI" init "$T/p" >/dev/null

run "2026-12-07 09:30:00" buy --qsdm zxzq --zjzh 10000001 --gddm A100 --code 600036 --amt 100 --price 10
expect 0 "买进处理成功,按Yes继续！
26120709301" "buy"
run "2026-12-07 09:30:20" buy --qsdm zxzq --zjzh 10000001 --gddm A100 --code 600036 --amt 100 --price 10
expect 0 "买进处理成功,按Yes继续！
26120709302" "a second buy in that minute, by a new window: the next free number"
want="WTH	GDDM	CODE	AMT	PRICE1	DATE1	PRICE2	CJ_DH
26120709301	A100	600036	100	10	2026-12-07	10	
26120709302	A100	600036	100	10	2026-12-07	10	
	xj	xj	100000	1		1	
26120709301	xj	xj	-1000	1	2026-12-07	1	冻结资金
26120709302	xj	xj	-1000	1	2026-12-07	1	冻结资金"
[[ $(rows) == "$want" ]] || fail "two orders and their frozen cash:"$'\n'"$(rows)"

run "2026-12-08 10:00:00" cancel --wth 26120709302 --qsdm zxzq --date 2026-12-07
expect 0 "撤消委托处理成功,按Yes继续！" "cancel"
# The quantity filled differs from the order's: the box is editable.
run "2026-12-08 10:00:00" confirm --wth 26120709301 --qsdm zxzq --date 2026-12-07 --amt 200
expect 0 "确认成交处理成功,按OK继续！(左手按空格键选择亦可)" "confirm the buy"
run "2026-12-08 10:00:00" confirm --wth 26120709301 --qsdm zxzq --date 2026-12-07 --amt 200 --price 10 --lx ha
expect 1 "委托号,券商代码或日期改了，记录未找到,退出重来。" "a second confirmation"
want="WTH	GDDM	CODE	AMT	PRICE1	DATE1	PRICE2	CJ_DH
	A100	600036	200	10	2026-12-07	10	26120709301
	xj	xj	97992	1		1	"
[[ $(rows) == "$want" ]] || fail "a holding and the cash less 2008:"$'\n'"$(rows)"

run "2026-12-09 14:05:09" sell --qsdm zxzq --zjzh 10000001 --gddm A100 --code 600036 --amt 200 --price 12
expect 0 "卖出处理成功,按Yes继续. (左手按空格键选择亦可)
1209140509" "sell"
run "2026-12-09 15:00:00" confirm --wth 1209140509 --qsdm zxzq --date 2026-12-09
expect 0 "确认成交处理成功,按OK继续！(左手按空格键选择亦可)" "confirm the sell"
want="WTH	GDDM	CODE	AMT	PRICE1	DATE1	PRICE2	CJ_DH
P2026120900	A100	600036	-200	12	2026-12-09	12	1209140509
P2026120900	A100	600036	200	10	2026-12-07	12	1209140509
	xj	xj	100382.4	1		1	"
[[ $(rows) == "$want" ]] || fail "both closed out and the cash up by 2390.4:"$'\n'"$(rows)"

run "2026-12-09 15:00:00" sell --qsdm zxzq --zjzh 10000001 --code 600036 --amt 1 --price 12 --short
expect 1 "该类型不许卖空；你需要改变类型或进入类型设置窗口把该类型的可卖空字段由False改为True" \
    "short selling a type that does not allow it"
run "2026-12-09 15:00:00" buy --qsdm zxzq --zjzh 10000001 --code 600036 --amt 1O0 --price 12
expect 1 "'1O0'不是有效的数值（数量）" "a quantity that does not read"
before=$(sql "select count(*) from \"tr2.dbf\"")
for amt in -100 0 16777217 99999999999999 1e20; do
    run "2026-12-09 15:00:00" buy --qsdm zxzq --zjzh 10000001 --gddm A100 --code 600036 --amt "$amt" --price 12
    expect 1 "数量必须大于0且不超过16777216" "a buy of $amt"
    run "2026-12-09 15:00:00" sell --qsdm zxzq --zjzh 10000001 --gddm A100 --code 600036 --amt "$amt" --price 12
    expect 1 "数量必须大于0且不超过16777216" "a sell of $amt"
done
[[ $(sql "select count(*) from \"tr2.dbf\"") == "$before" ]] || fail "refused orders wrote rows"

# The price filled is typed at confirmation: the holding takes it as typed, and values to the digit.
run "2026-12-10 09:30:00" buy --qsdm zxzq --zjzh 10000001 --gddm A100 --code 600000 --amt 200 --price 72
run "2026-12-10 10:00:00" confirm --wth 26121009301 --qsdm zxzq --date 2026-12-10 --price 72.37
expect 0 "确认成交处理成功,按OK继续！(左手按空格键选择亦可)" "confirm at the price filled"
[[ $(sql "select price1, cost1 from \"tr2.dbf\" where code='600000'") == "PRICE1	COST1
72.37	14474" ]] || fail "the holding at its typed price"

run "2026-12-09 15:00:00" new-cash-account --qsdm htzq --zjzh 555 --amt 2500 --bi rmb
expect 0 "资金帐户建立成功。" "new cash account"
run "2026-12-09 15:00:00" new-cash-account --qsdm htzq --zjzh 555 --bi rmb
expect 1 "资金帐户已经存在，放弃建立。" "the same account again"
run "2026-12-09 15:00:00" new-cash-account --qsdm htzq --zjzh 556 --amt 25O0 --bi rmb
expect 1 "现金数量不是有效的数字,退出重来!" "a cash amount that does not read"
[[ $(sql "select qs, amt, lx, name, birate from \"tr2.dbf\" where qsdm='htzq'") == "QS	AMT	LX	NAME	BIRATE
华泰	2500	xj	现金	1" ]] || fail "the new cash row"
[[ $(sql "select bicode from \"zh_bi.db\" where qsdm='htzq'") == "Bicode
rmb" ]] || fail "the account's currency"
echo "order commands: all passed"
