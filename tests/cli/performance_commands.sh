#!/usr/bin/env bash
# varneth-cli performance on the demonstration account: the result table for each start choice,
# the date messages, and the chart written as a PNG in each line type.
set -euo pipefail

CLI=$1
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
check() {  # expected-output description args…
    local want=$1 what=$2
    shift 2
    local got
    got=$("$CLI" --dir "$T/p" "$@" 2>/dev/null) || fail "$what: exit $?"
    [[ $got == "$want" ]] || fail "$what: got [$got] expected [$want]"
}
status() {  # expected-status description args…
    local want=$1 what=$2
    shift 2
    set +e
    "$CLI" --dir "$T/p" "$@" >"$T/out" 2>/dev/null
    local rc=$?
    set -e
    [[ $rc == "$want" ]] || fail "$what: exit $rc, expected $want"
}

"$CLI" init "$T/p" >/dev/null

check "比较起点：2025-12-01  终点：2026-12-04
深证成指  期初指数：10820  期末指数：12416  收益率:14.75
上证指数  期初指数：3386  期末指数：3912  收益率:15.53
管理帐户  期初价格:1  期末价格:1.06  收益率:6.2
期初总值:1700000  期末总值:2316339  增长率:36.26
统计	管理帐户	深证成指	上证指数
年化收益率(%)	6.15	14.62	15.40
年化波动率(%)	11.87	19.71	15.79
最大回撤(%)	14.24	19.63	17.24" "from the head: the first day's levels come from the opening row" \
    performance --start from-head
check "比较起点：2025-12-31  终点：2026-12-04
深证成指  期初指数：11638  期末指数：12416  收益率:6.68
上证指数  期初指数：3572  期末指数：3912  收益率:9.52
管理帐户  期初价格:1.08  期末价格:1.06  收益率:-1.98
期初总值:1842270  期末总值:2316339  增长率:25.73
统计	管理帐户	深证成指	上证指数
年化收益率(%)	-2.13	7.24	10.32
年化波动率(%)	11.64	19.40	15.61
最大回撤(%)	14.24	19.63	17.24" "this year: compared from the last point of last year" \
    performance --start this-year
check "比较起点：2026-05-29  终点：2026-12-04
深证成指  期初指数：13879  期末指数：12416  收益率:-10.54
上证指数  期初指数：4333  期末指数：3912  收益率:-9.72
管理帐户  期初价格:1.17  期末价格:1.06  收益率:-9.1
期初总值:2287880  期末总值:2316339  增长率:1.24
统计	管理帐户	深证成指	上证指数
年化收益率(%)	-16.83	-19.36	-17.91
年化波动率(%)	10.77	17.96	14.38
最大回撤(%)	14.24	18.66	17.22" "a Monday start: compared from the Friday before" \
    performance --start 2026-06-01

status 1 "a month 13" performance --start 2026-13-01
[[ $(cat "$T/out") == "日期格式错误，请修改!" ]] || fail "bad date message: $(cat "$T/out")"
status 1 "after the last point" performance --start 2026-12-05
[[ $(cat "$T/out") == "日期超出范围，请修改!" ]] || fail "out of range message: $(cat "$T/out")"
status 2 "no start" performance
status 2 "an unknown line type" performance --start from-head --type bars

for type in curves weekly log; do
    status 0 "$type chart" performance --start this-year --type "$type" --png "$T/$type.png"
    [[ -s $T/$type.png ]] || fail "$type: no PNG written"
    [[ $(head -c 8 "$T/$type.png" | od -An -tx1 | tr -d ' \n') == 89504e470d0a1a0a ]] || fail "$type: not a PNG"
done
cmp -s "$T/curves.png" "$T/log.png" && fail "the log view draws the same picture as the curves"
status 1 "an unwritable PNG" performance --start from-head --png "$T/no/such/dir/x.png"
echo "performance commands: all passed"
