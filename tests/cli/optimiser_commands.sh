#!/usr/bin/env bash
# varneth-cli groups, optimise and simulate on the demonstration account: grouping kept in step with
# the book, the optimiser's lines, parameter files, refusals that write nothing, and seeded games.
set -euo pipefail

CLI=$1
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
run() { "$CLI" --dir "$T/p" "$@" 2>/dev/null; }
check() {  # expected-output description args…
    local want=$1 what=$2
    shift 2
    local got
    got=$(run "$@") || fail "$what: exit $?"
    [[ $got == "$want" ]] || fail "$what: got [$got] expected [$want]"
}
refused() {  # expected-message description args…
    local want=$1 what=$2
    shift 2
    set +e
    local got
    got=$(run "$@")
    local rc=$?
    set -e
    [[ $rc == 1 ]] || fail "$what: exit $rc, expected 1"
    [[ $got == "$want" ]] || fail "$what: got [$got] expected [$want]"
}
groups() { run sql 'select code, "Group" from "groups.db" order by code' | tail -n +2 | tr '\t\n' ':,'; }

"$CLI" init "$T/p" >/dev/null

# Grouping: every code of the holdings view at group 3; a group outside 0-3 is refused.
check "" "opening" groups open
[[ $(groups) == "000001:3,000858:3,010303:3,200596:3,200869:3,300750:3,510300:3,600036:3,600519:3,601318:3,IF2512:3,xj:3," ]] ||
    fail "groups after opening: $(groups)"
refused "组号只能是0,1,2或3" "group 4" groups set --code xj --group 4
refused "组号只能是0,1,2或3" "division group -1" groups set-division --lx xj --group -1
check "" "cash to 0" groups set --code xj --group 0
check "" "rebuild" groups rebuild
check "" "futures contract to 1" groups set-division --lx qz --code IF2512 --group 1
check "" "bonds to 0" groups set-division --lx gz --group 0
check "你已经适当地分组(上面每行序号为0,1,2或3)了吗?如果没有,请选No退出,分组好再操作. [No]" "answering No" groups apply
[[ $(groups) == *"IF2512:3"* ]] || fail "No changed the groups: $(groups)"
check "你已经适当地分组(上面每行序号为0,1,2或3)了吗?如果没有,请选No退出,分组好再操作. [Yes]" "answering Yes" --yes groups apply
[[ $(groups) == "000001:3,000858:3,010303:0,200596:3,200869:3,300750:3,510300:3,600036:3,600519:3,601318:3,IF2512:1,xj:3," ]] ||
    fail "groups after applying: $(groups)"

# Normalisation and the correlation lists.
check $'333\t333\t333\t0' "normalise thirds" optimise normalise 1,1,1,0
check $'-200\t300\t500\t0' "a short row" optimise normalise -- -2,3,5,0
check $'-333\t333\t333\t0' "a row starting with a minus" optimise normalise -1,1,1,0
check $'0\t0\t400\t600' "already per mille" optimise normalise 0,0,400,600
check "-1" "r12 1, r23 -1" optimise r13 --r12 1 --r23 -1
check $'0\n0.5\n1' "the opening list" optimise r13
[[ $(run optimise scenario --r12 0 --r23 0 --r13 0 | head -1) == $'0\t0\t0\t0.015625' ]] || fail "product corner"
[[ $(run optimise scenario | wc -l) == 27 ]] || fail "27 scenario lines"

# Flat forecasts: all in group 1, nothing gained.
got=$(run optimise --e 100,100,100,100 --d 0,0,0 --p1 500,0,0,500)
[[ $got == *$'p1\t500\t0\t0\t500'* && $got == *$'y\t0\t1000\t0\t0'* && $got == *$'z\t-500\t1000\t0\t-500'* &&
   $got == *$'growth\t0'* ]] || fail "flat forecasts: $got"
[[ $(run optimise | head -1) == $'labels\t03国债03等\t股指2512等\t证券2\t平安银行等' ]] || fail "labels: $(run optimise | head -1)"

# Refusals: a message, exit 1, nothing saved.
refused "上下偏差不得超过未来期望!" "deviation at its expectation" optimise --d 115,57,58 --save "$T/a.prd"
refused "保证金比例必须大于0且不超过100" "margin 0" optimise --margin 0,100,100 --save "$T/a.prd"
refused "交易成本不能为负" "negative cost" optimise --cost 0,-1,0 --save "$T/a.prd"
refused "证券1和证券3的相关系数只能是0,0.5,1" "unlisted r13" optimise --r13 -1 --save "$T/a.prd"
refused "'x'不是有效的数值（--p1）" "a row that does not read" optimise --p1 x,0,0,0 --save "$T/a.prd"
[[ ! -e $T/a.prd ]] || fail "a refused command saved"

# The parameter file: written exactly, read back as the program directory's default.
run optimise --e 101,120,110,108 --d 30,45,10 --cost 0.25,5,0.1 --margin 3.5,100,10 --r12 -0.5 --r23 0 \
    --r13 0.5 --overdraft-ratio 50 --save "$T/p/default.prd" >/dev/null
[[ $(cat "$T/p/default.prd") == $'100\n100\n100\n100\n101\n120\n110\n108\n0\n30\n45\n10\n0\n0.25\n5\n0.1\n100\n3.5\n100\n10\n-0.5\n0\n0.5\n50\n0' ]] ||
    fail "saved file: $(cat "$T/p/default.prd")"
check $'-0.5\n0\n0.5' "the default file sets the lists" optimise r13
run optimise --save "$T/b.prd" >/dev/null
cmp -s "$T/p/default.prd" "$T/b.prd" || fail "the default file did not load as saved"
head -20 "$T/b.prd" >"$T/short.prd"
refused "参数文件格式不对，未读入。" "a short file" optimise --prd "$T/short.prd"
cp "$T/short.prd" "$T/p/default.prd"
refused "参数文件格式不对，未读入。" "a refused default file" optimise r13
cp "$T/b.prd" "$T/p/default.prd"

# Seeded games replay exactly; a game ends at its turns or its target. With 28 times leverage the log
# chart's game stops once the wealth passes 1e32, the linear one plays on.
[[ $(run simulate --seed 20261208 --turns 200 | head -1) == $'turns\t85' ]] || fail "log game past 1e32"
[[ $(run simulate --seed 20261208 --turns 200 --linear | head -1) == $'turns\t200' ]] || fail "linear game"
rm "$T/p/default.prd"
first=$(run simulate --seed 20261208 --turns 200)
[[ $first == $'turns\t200\n'* ]] || fail "turns: $first"
[[ $(echo "$first" | tail -4 | cut -c1-2 | tr -d '\n') == "1.2.3.4." ]] || fail "leaderboard: $first"
[[ $(run simulate --seed 20261208 --turns 200) == "$first" ]] || fail "a seed replayed differently"
[[ $(run simulate --seed 20261208 --target 10000 --linear | head -1) == $'turns\t'* ]] || fail "target mode"
run simulate --seed 3 --turns 20 --png "$T/g.png" >/dev/null && [[ -s $T/g.png ]] || fail "chart image"
refused "较量回合次数只能在10到1000之间" "too many turns" simulate --turns 1001
exit 0
