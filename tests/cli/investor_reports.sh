#!/usr/bin/env bash
# varneth-cli investors report and investors accounts on the demonstration account: the files a
# report writes (proposed or chosen), refusals writing nothing, and the cash-account figures.
set -euo pipefail

CLI=$1
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
NOW=(--now "2026-12-07 15:00:00")
run() {  # sets $out and $rc
    set +e
    out=$(cd "$T" && "$CLI" --dir "$T/p" "${NOW[@]}" "$@" 2>&1)
    rc=$?
    set -e
}
expect() {  # rc expected-output description
    [[ $rc == "$1" ]] || fail "$3: exit $rc, expected $1 [$out]"
    [[ $out == "$2" ]] || fail "$3: got [$out] expected [$2]"
}
reports() { find "$T/p" -path '*/report/*' -type f | sort; }

"$CLI" init "$T/p" >/dev/null

run investors accounts --qsdm yaqh --zjzh 30123456
expect 0 "账户代码:\$30123456
金额:500000
持仓市值=589724.6000000001
增值89725
余额增值率:18%" "the account's five lines"
run investors accounts --qsdm stxj --zjzh stxj
expect 1 "资金帐户stxj,stxj不存在,放弃操作。" "an account the ledger does not have"

run investors report voucher --pycode nobody
expect 1 "投资人代码nobody不存在,放弃操作。" "an unknown investor"
run --yes investors report voucher --pycode wjg --row 9
expect 1 "明细中没有第9行,放弃操作。" "a lower-grid row that does not exist"
run --no investors report voucher --pycode wjg
expect 1 "本操作按下面窗口指定的记录打印单据，继续吗？ [No]" "a declined voucher"
[[ -z $(reports) ]] || fail "refused reports write nothing [$(reports)]"

run --yes investors report voucher --pycode wjg
file=$(tail -1 <<<"$out")
[[ $rc == 0 && $file == */report/Receipt_王建国2026-12-07.txt && -f $file ]] || fail "the proposed voucher file [$out]"
grep -q '^2025-12-01 500000' "$file" || fail "the voucher's row [$(cat "$file")]"
grep -qx '投资类型代码y的含义是:' "$file" && grep -qx '义务代投资' "$file" || fail "the fee-free type's meaning"

run investors report total --out total.txt --fund-name 长青
expect 0 "" "the total report to a chosen file"
[[ $(head -1 "$T/total.txt") == "                                     长青投资人盈亏总报表" ]] || fail "the total report's title"
grep -q '第1页， 共1页   打印时间:2026-12-07 15:00:00' "$T/total.txt" || fail "the page line"

mkdir "$T/taken"
run investors report total --out taken
expect 1 "不能写入文件：taken" "a file that cannot be written is named"

printf '甲\n乙\n' >"$T/memo.txt"
run investors report stage --pycode wjg --title 季报 --brief memo.txt --no-all-records --out stage.txt
expect 0 "" "a stage report with a memo"
[[ $(head -1 "$T/stage.txt") == *无费用义务代投资季报 && $(tail -2 "$T/stage.txt") == $'甲\n乙' ]] ||
    fail "the stage report's title and memo [$(cat "$T/stage.txt")]"
! grep -q '投资记录' "$T/stage.txt" || fail "--no-all-records leaves the records out"
grep -q '电话:010-65881234' "$T/stage.txt" || fail "the address line from the address book"

run investors report account --qsdm yaqh --zjzh 30123456 --no-details --out account.txt
expect 0 "" "the cash-account report"
[[ $(tail -4 "$T/account.txt") == $'持仓市值=589724.6000000001\n增值89725\n余额增值率:18%\n管理人签名:              2026-12-07' ]] ||
    fail "the account report's result [$(cat "$T/account.txt")]"
! grep -q '资金进出记录' "$T/account.txt" || fail "--no-details leaves the movements out"
