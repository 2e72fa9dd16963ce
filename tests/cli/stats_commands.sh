#!/usr/bin/env bash
# varneth-cli stats on the demonstration book: the grid as its query selects it, the chart without the
# total rows, the report file with its question, and choices or rows that do not exist.
set -euo pipefail

source "$(dirname "$0")/lib/harness.sh"
run() { cli --dir "$T/p" --account 示范帐户 --now "2026-12-07 09:30:00" "$@"; }

"$CLI" init "$T/p"

# The initial choices: share of value by asset type, the same rows as the query run by hand.
run stats
grid=$OUT
[[ $RC == 0 ]] || fail "stats: exit $RC"
run sql "select lx as 类型代码, lxm as 类型,bs as 多空,
SUM(AMT) as  数量, sum(price1*amt)/sum(amt) as 均价1,sum(price2*amt)/sum(amt) as 均价2, 
sum((cost1+yhs+sxf)*birate) as 成本, sum(cost2*birate) as 市值, 
avg(birate) as 货币比率,
sum(per) as 市值百分比, sum(cost2*zk_rate*birate)/( select sum(cost2*birate) from \"tr2.dbf\" where lx='zzz')*100 as 折扣百分比
from \"tr2.DBf\" 
where (wth='' or wth>'PA' or wth<'P')
group by lx, lxm,bs
order by lx,lxm,bs"
expect 0 "$grid" "the grid is what its query selects"
[[ $(head -1 <<<"$grid") == $'类型代码\t类型\t多空\t数量\t均价1\t均价2\t成本\t市值\t货币比率\t市值百分比\t折扣百分比' ]] ||
    fail "grid header"

run stats --chart
[[ $RC == 0 ]] || fail "chart: exit $RC"
[[ $(head -2 <<<"$OUT") == $'投资比例条形图\n类型\t市值百分比\t折扣百分比' ]] || fail "chart title and series [$OUT]"
[[ $(wc -l <<<"$OUT") == $(($(wc -l <<<"$grid") - 1)) ]] || fail "one bar per grid row but the two totals"
grep -q "总" <<<"$OUT" && fail "the chart holds a total row"

run stats --kind 2 --chart
expect 0 "" "no chart for the history"

# Reports.
run --yes stats --content 0 --report "$T/detail.txt"
expect 1 "打印详细记录请进入手工编辑窗口！" "detailed records are printed in the holdings editor"
[[ ! -e "$T/detail.txt" ]] || fail "a refused report wrote its file"

run --no stats --report "$T/no.txt"
expect 1 "本操作将根据显示选择打印报告,继续吗？ [No]" "a declined report"
[[ ! -e "$T/no.txt" ]] || fail "a declined report wrote its file"

run --yes stats --kind 1 --pl 0 --report "$T/pl.txt"
expect 0 "本操作将根据显示选择打印报告,继续吗？ [Yes]" "the P/L report"
[[ $(sed -n 2p "$T/pl.txt") == "                     统计报告--显示种类:盈亏; 盈亏类型:总盈亏  ; 内容和方式:按资产类型统计" ]] ||
    fail "title with the P/L type"
grep -qxF "                         第1页， 共1页   打印时间:2026-12-07 09:30:00" "$T/pl.txt" || fail "page line"

rows=$(($("$CLI" --dir "$T/p" --account 示范帐户 stats --kind 2 | wc -l) - 1))
run --yes stats --kind 2 --report "$T/history.txt" --from-row 3
expect 0 "本操作将根据显示选择打印报告,打印成交历史和平仓报告需用光标指定起始记录,唯选最下面的记录将打印一页最新内容;继续吗？ [Yes]" \
    "the history from its third row"
# One page: a blank line, title, blank, page line, rule, titles, rule, the rows, rule.
[[ $(wc -l <"$T/history.txt") == $((8 + rows - 2)) ]] || fail "history rows from the third [$rows]"

# Bad input: nothing written, exit 2.
for bad in "--kind 4" "--content -1" "--pl x" "--kind 2 --report $T/bad.txt --from-row 0" \
    "--kind 2 --report $T/bad.txt --from-row $((rows + 1))" "--from-row 1"; do
    # shellcheck disable=SC2086
    run --yes stats $bad
    [[ $RC == 2 ]] || fail "stats $bad: exit $RC"
    [[ -z $OUT ]] || fail "stats $bad printed [$OUT]"
done
[[ ! -e "$T/bad.txt" ]] || fail "a usage error wrote its file"
echo "stats commands: all passed"
