#!/usr/bin/env bash
# varneth-cli value and report: the valuation of the demonstration book to the digit, the total rows it
# rewrites, the reports as text files, and a valuation that stops.
set -euo pipefail

source "$(dirname "$0")/lib/harness.sh"
run() { cli --dir "$T/p" --account 示范帐户 --now "2026-12-07 09:30:00" "$@"; }

"$CLI" init "$T/p"

run value
expect 0 $'S1\t2452821.5\nS2\t2525652\nS3\t2316339\n市值=252.57万\n折扣总值=231.63万' "value of the demo book"
run sql "SELECT lx, amt, cost2, per FROM \"tr2.dbf\" WHERE lx IN ('zzc','zzz') ORDER BY lx"
expect 0 $'LX\tAMT\tCOST2\tPER\nzzc\t2452821.5\t2525652\t100\nzzz\t2452821.5\t2316339\t91.71000000000001' "total rows (× 0.01, not ÷ 100)"
run sql "SELECT code, cost1, cost2, per FROM \"tr2.dbf\" WHERE code IN ('IF2512','200869') ORDER BY code"
expect 0 $'CODE\tCOST1\tCOST2\tPER\n200869\t42600\t45150\t1.6400000000000001\nIF2512\t286934.3935865164\t307694\t12.18' \
    "a B share at its currency rate and a short future at its float margin"

run report holdings
expect 1 "本操作将根据显示选择打印报告,现在打印全部持仓记录的主要数据，继续吗？ [No]" "a declined report"
[[ ! -e "$T/p/demo/report" ]] || fail "a declined report made its folder"

run --yes report holdings
file="$T/p/demo/report/hold2026-12-07.txt"
expect 0 "本操作将根据显示选择打印报告,现在打印全部持仓记录的主要数据，继续吗？ [Yes]"$'\n'"$file" "holdings report"
grep -qxF "                         第1页， 共1页   打印时间:2026-12-07 09:30:00" "$file" || fail "page line"
[[ $(grep -c '^[ *]华泰 ' "$file") == 10 ]] || fail "holdings report: ten rows of 华泰"
# The total row as the valuation rewrote it: its ratio in full, columns never cut, and a blank after
# every cell that overflows its column.
grep -qxF "*市价总                      zzc    市价总值  2452821   1                 1.0296925397954968 2525652  2.9692539795496735 " \
    "$file" || fail "holdings report: the market total row"

run --yes report closed --out "$T/closed.txt"
expect 0 "本操作将根据显示选择打印报告,现在选择的是平仓记录主要数据(不含数量为负的记录)打印，本操作从光标指定记录往下打印,唯选最下面的记录将打印一页最新内容。继续吗？ [Yes]"$'\n'"$T/closed.txt" "closed report"
grep -qF "交易价 交易日期   卖出价" "$T/closed.txt" || fail "closed report heading"
[[ $(grep -c '^\*华泰' "$T/closed.txt") == 2 ]] || fail "closed report: the two bought rows, not the sells"

run --yes report open
[[ $RC == 2 ]] || fail "an unknown report is a usage error (exit $RC)"

# A row without its type stops the valuation and leaves the totals as they were.
cat >"$T/untyped.csv" <<'CSV'
WTH,QSDM,QS,GDDM,ZJZH,CODE,NAME,AMT,PRICE1,DATE1,PRICE2,DATE2,COST1,COST2,INCOME,INC,PER,NOTE,SXF,YHS,CJ_DH,ZK_RATE,LXM,BS,BIRATE,LX
,aaaa,甲,,1,600999,某股,100,10,,11,,,,,,,,,,,,,,,
CSV
run import tr2.DBF "$T/untyped.csv"
run value
expect 1 "类型码未添好,请在手工编辑窗口修改好再计算!" "a row without type"
echo "ledger commands: all passed"
