#!/usr/bin/env bash
# varneth-cli view on the demonstration account: the catalog, the detail that follows it, and the
# unconfirmed orders.
set -euo pipefail

CLI=$1
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
view() { "$CLI" --dir "$T/p" --account 示范帐户 view "$@"; }
# The lines of one part ("catalog" or "detail") of a view's output, without its caption.
part() { awk -v want="$1" '$0 == "catalog" || $0 == "detail" { on = ($0 == want); next } on && NF' ; }
status() {  # expected-status description args…
    local want=$1 what=$2
    shift 2
    set +e
    view "$@" >"$T/out" 2>"$T/err"
    local rc=$?
    set -e
    [[ $rc == "$want" ]] || fail "$what: exit $rc, expected $want"
}

"$CLI" init "$T/p" >/dev/null

view 0 >"$T/v0"
[[ $(part catalog <"$T/v0" | head -1) == $'CODE\tNAME\t数量\t成本价\t当前价\t成本\t市值\t比例' ]] ||
    fail "catalog header by code"
[[ $(part catalog <"$T/v0" | sed -n 2p) == $'000001\t平安银行\t3000\t12.449599999999998\t11.62\t37348.799999999996\t34860\t1.38' ]] ||
    fail "first catalog row: its closed-out pair is not counted"
part catalog <"$T/v0" | cut -f1 | grep -qx 600000 && fail "a code held only in closed-out rows is listed"
[[ $(part catalog <"$T/v0" | wc -l) == 15 ]] || fail "14 codes and the header"
[[ $(part detail <"$T/v0" | head -1) == $'委托号\t券商代码\t券商\t资金帐号\t股东代码\t类型码\t类型名\t代码\t名称\t多空\t数量\t价格1\t日期1\t价格2\t日期2\t增值率' ]] ||
    fail "detail header"
[[ $(part detail <"$T/v0" | tail -n +2) == $'\thtzq\t华泰\t10086601\t0123456789\tsa\t深A股\t000001\t平安银行\t1\t3000\t12.4\t2026-01-20\t11.62\t2026-12-04\t-6.6903' ]] ||
    fail "the detail of the first code is its open holding only"

view 0 --code IF2512 >"$T/out"
[[ $(part detail <"$T/out" | tail -n +2 | cut -f8,10,11) == $'IF2512\t-1\t600' ]] || fail "detail follows --code"

view 1 --qsdm zszq --zjzh 20668802 >"$T/out"
[[ $(part catalog <"$T/out" | head -1) == $'QSDM\tZJZH\t市值' ]] || fail "catalog header by account"
[[ $(part detail <"$T/out" | tail -n +2 | cut -f8 | paste -sd,) == "200596,200869,xj" ]] || fail "the cash account's rows"

# Unconfirmed orders: the catalog by code stays, the frozen cash does not show, a remainder does.
cat >"$T/rest.csv" <<'CSV'
WTH,QSDM,QS,GDDM,ZJZH,CODE,NAME,AMT,PRICE1,DATE1,PRICE2,DATE2,LX,BS
0???,htzq,华泰,0123456789,10086601,000001,平安银行,-500,11.05,2026-09-15,11.05,2026-09-15,sa,1
CSV
"$CLI" --dir "$T/p" --account 示范帐户 import tr2.DBF "$T/rest.csv"
view 2 --code 600519 >"$T/out"
[[ $(part catalog <"$T/out" | head -1 | cut -f1) == CODE ]] || fail "choice 2 keeps the catalog by code"
[[ $(part detail <"$T/out" | tail -n +2 | cut -f1,8 | paste -sd,) == $'0???\t000001,26120414301\t601318' ]] ||
    fail "unconfirmed orders: got $(part detail <"$T/out" | tail -n +2 | cut -f1,8 | paste -sd,)"
view 0 >"$T/out"
[[ $(part detail <"$T/out" | tail -n +2 | cut -f1 | paste -sd,) == ",0???" ]] || fail "the remainder in the code's detail"

status 1 "an unknown code" 0 --code 999999
[[ $(cat "$T/out") == "目录中没有代码 999999" ]] || fail "unknown code message: $(cat "$T/out")"
status 1 "an unknown account" 1 --qsdm htzq --zjzh 20668802
status 2 "a choice out of range" 3
status 2 "--code by account" 1 --code 600036
status 2 "an account by code" 0 --qsdm htzq --zjzh 10086601
status 2 "half an account" 1 --qsdm htzq
echo "view commands: all passed"
