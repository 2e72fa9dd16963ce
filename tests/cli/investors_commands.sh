#!/usr/bin/env bash
# varneth-cli investors and inout on the demonstration account: the grids, a withdrawal settled
# against the oldest buy, refused input writing nothing, the type editor and one commission draw.
set -euo pipefail

CLI=$1
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
NOW=(--now "2026-12-07 15:00:00")
run() {  # sets $out and $rc
    set +e
    out=$("$CLI" --dir "$T/p" "${NOW[@]}" "$@" 2>&1)
    rc=$?
    set -e
}
expect() {  # rc expected-output description
    [[ $rc == "$1" ]] || fail "$3: exit $rc, expected $1 [$out]"
    [[ $out == "$2" ]] || fail "$3: got [$out] expected [$2]"
}
sql() { "$CLI" --dir "$T/p" sql "$1" "${@:2}" | tail -n +2; }
rows() { sql "SELECT count(*) FROM \"Fund2.DB\""; }
cash() { sql "SELECT AMT FROM \"tr2.DBF\" WHERE ZJZH='30123456' AND CODE='xj' AND WTH=''"; }

"$CLI" init "$T/p" >/dev/null

run investors value
[[ $rc == 0 && $(head -1 <<<"$out") == $'pycode\tname\txabc\tinput\tasset\tunit\ta_price\tzzl\tdmoney' ]] ||
    fail "the investor grid's header [$out]"
grep -qx $'wjg\t王建国\ty\t500000\t531000\t500000\t1\t6.200000000000003\t531000' <<<"$out" ||
    fail "an investor valued at the newest price [$out]"

run investors detail --pycode nobody
expect 1 "投资人代码nobody不存在,放弃操作。" "an investor not in the grid"

run inout show --pycode wjg
expect 0 "投资人代码	wjg
姓名	王建国
券商代码	yaqh
券商	永安
资金帐号	30123456
投入日期	2026-12-07
投资类型	y
投入资金(元)	-531000
可取日期	2026-12-07
所持y类型基金数量(股数):	500000
当前总可取资金(元):	531000
到期总可取资金(元):	531000" "the capital in/out window filled from the investor's buy"

before=$(rows)
for bad in "--amount 12x|'12x'不是有效的数值（投入资金(元)）" "--xabc q|投资类型q没有定义,放弃操作。" \
    "--date 2026-13-01|'2026-13-01'不是有效的日期（投入日期）"; do
    # shellcheck disable=SC2086
    run --yes inout --pycode wjg ${bad%%|*}
    expect 1 "${bad#*|}" "refused: ${bad%%|*}"
done
run --no inout --pycode wjg --amount -1000
expect 1 "本操作将增加一个投资或撤资记录,并改变持仓文件相应帐户资金数目,继续吗? [No]" "declined"
[[ $(rows) == "$before" && $(cash) == 312800 ]] || fail "refused or declined entries write nothing"

run --yes inout --pycode wjg --amount -1000
expect 0 "本操作将增加一个投资或撤资记录,并改变持仓文件相应帐户资金数目,继续吗? [Yes]
一个撤资记录已经追加, 将运行撤资处理!
撤资处理结束,1个撤资记录被处理(和投资记录相冲销)！" "a withdrawal settled at once"
[[ $(sql "SELECT DT, INPUT, UNIT, CZXH, B1, DMONEY FROM \"Fund2.DB\" WHERE PYCODE='wjg' ORDER BY CZXH DESC, B1") == \
    $'2025-12-01\t942\t941.62\t1\tb\t1000\n2026-12-07\t-1000\t-941.62\t1\ts\t-1000\n2025-12-01\t499058\t499058.38\t0\tb\t530000' ]] ||
    fail "the buy split into a settled share and a live remainder"
[[ $(cash) == 311800 ]] || fail "the cash row gives the money"

run investors types set --xabc b C1=1 E1=0.01
expect 0 "" "a daily fee"
[[ $(sql "SELECT E1, E2 FROM \"TZLX.db\" WHERE Xabc='b'" --alias curr) == $'0.01\t3.65' ]] || fail "the yearly fee follows"
run investors types check --xabc b
expect 0 "检测结束！" "a consistent type"
run investors commission search
expect 1 "没有可提成记录" "fee-free investments give no commission"

run --yes inout --pycode lxh --xabc b --date 2026-01-05 --amount 100000
expect 0 "本操作将增加一个投资或撤资记录,并改变持仓文件相应帐户资金数目,继续吗? [Yes]
一个投资记录已经追加! 如要修改请退回到基金管理窗口。" "an investment of type b"
"$CLI" --dir "$T/p" "${NOW[@]}" fund recompute --from-row 1 >/dev/null
run investors commission search
expect 0 "" "a candidate"
run investors commission draw --pycode lxh --xabc b
expect 0 "撤资处理结束,1个撤资记录被处理(和投资记录相冲销)！" "one withdrawal and one deposit"
[[ $(sql "SELECT INPUT, UNIT, CZXH, B1 FROM \"Fund2.DB\" WHERE PYCODE='lxh' AND XABC='b' ORDER BY DT, B1") == \
    $'100000\t91324.2\t2\tb\n93677\t88208.098\t0\tb\n-93677\t-91324.2\t2\ts' ]] || fail "the draw's rows"
run investors commission draw --pycode lxh --xabc b
expect 1 "无记录，放弃操作。" "never drawn twice"

echo "investors commands: ok"
