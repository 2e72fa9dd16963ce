#!/usr/bin/env bash
# End-to-end checks of varneth-cli's base commands: init, tables, export, import, sql, login,
# and the exit statuses scripts rely on.
set -euo pipefail

source "$(dirname "$0")/lib/harness.sh"
expect_rc() { [[ $RC == "$1" ]] || fail "$2: exit $RC, expected $1; stdout [$OUT] stderr [$ERR]"; }
expect_out() { [[ $OUT == "$1" ]] || fail "$2: stdout"$'\n'"[$OUT]"$'\n'"expected"$'\n'"[$1]"; }
expect_in_out() { [[ $OUT == *"$1"* ]] || fail "$2: stdout [$OUT] lacks [$1]"; }
ok() { expect_rc 0 "$2"; expect_out "$1" "$2"; }

B=$T/bare
D=$T/demo

# --- init -----------------------------------------------------------------------------------
run init "$B" --bare
ok "" "init --bare"
run init "$D"
ok "" "init"
mkdir "$T/empty-dir"
run init "$T/empty-dir" --bare
ok "" "init into an empty directory"

run --dir "$T/by-dir" init --bare
ok "" "init without DIR makes the program directory"
run --dir "$T/by-dir" login
ok "$T/by-dir/user" "init without DIR makes the program directory"

run init "$B"
expect_rc 1 "init over tables"
expect_in_out "目录中已有数据表" "init over tables"
run --dir "$B" login
ok "$B/user" "a refused init leaves the directory as it was"

# --- tables -----------------------------------------------------------------------------------
run --dir "$B" tables
expect_rc 0 "tables"
tables=$OUT
grep -qxF $'curr\tz.db' <<<"$tables" || fail "tables: no z.db under curr"
grep -qxF $'kvt\ttr2.DBF' <<<"$tables" || fail "tables: no tr2.DBF under kvt"
[[ $(cut -f1 <<<"$tables" | uniq | tr '\n' ' ') == "curr kvt " ]] || fail "tables: shared tables not first"
run tables --dir "$D"
ok "$tables" "global option after the command; full and bare directories have the same tables"

# --- login -----------------------------------------------------------------------------------
WRONG="对不起,密码错误,请重试!"
run --dir "$B" --account 我的帐户 --password x login
expect_rc 1 "wrong password"
expect_out "$WRONG" "wrong password"
run --dir "$B" --password x tables
expect_rc 1 "wrong password for the pre-filled account"
expect_out "$WRONG" "wrong password for the pre-filled account"
run --dir "$B" --account 别人 login
expect_rc 1 "unknown account"
expect_out "$WRONG" "unknown account"
run --dir "$B" --account 我的帐户 --password "" login
ok "$B/user" "login"
run --dir "$B/" login
ok "$B/user" "login with a trailing slash"
(cd "$B" && "$CLI" login >"$T/cwd-login") || fail "login in the current directory"
[[ $(cat "$T/cwd-login") == "$B/user" ]] || fail "login in the current directory: $(cat "$T/cwd-login")"
run --dir "$T" tables
expect_rc 1 "no account list"
expect_out "找不到管理帐户清单文件。注意：1)执行程序需放在安装目录；2)执行程序快捷键不能直接送到桌面上，应先产生于安装目录，再送到桌面上。" \
    "no account list"

subdir=$("$CLI" --dir "$D" sql --alias curr "SELECT Subdir FROM \"z.db\" WHERE User_name='示范帐户'" | tail -n 1)
run --dir "$D" --account 示范帐户 login
ok "$D/$subdir" "login to the demonstration account"

# --- export and import -------------------------------------------------------------------------
HEADER="WTH,QSDM,QS,GDDM,ZJZH,CODE,NAME,AMT,PRICE1,DATE1,PRICE2,DATE2,COST1,COST2,INCOME,INC,PER,NOTE,SXF,YHS,CJ_DH,ZK_RATE,LXM,BS,BIRATE,LX"
run --dir "$B" export tr2.DBF
ok "$HEADER" "export of an empty table"

CASH=",01,国泰君,xj,8001,xj,现金,50000,1,,1,,50000,50000,0,0,60,,0,0,,1,现金,1,1,xj"
STOCK=",01,国泰君,A123456789,8001,600519,贵州茅台,100,1500.5,2024-01-02,1600,2024-03-01,150050,160000,9950,0.0663,40,\"a,b\",5,1.5,,0.8,股票,1,1,gp"
CLOSED="P2024030110,01,国泰君,A123456789,8001,600000,浦发银行,-200,8,2024-01-05,9,2024-03-01,1600,1800,200,0.125,0,,1,1.8,3010930,0.8,股票,1,1,gp"
# The broker name is wider than its 6-byte field: it is cut between characters.
printf '%s\n' "$HEADER" "${CASH/国泰君/国泰君安}" "$STOCK" "$CLOSED" >"$T/book.csv"
run --dir "$B" import tr2.dbf "$T/book.csv"
ok "" "import"
run --dir "$B" export TR2.DBF
ok "$HEADER"$'\n'"$CASH"$'\n'"$STOCK"$'\n'"$CLOSED" "export in natural order, table named in any case"
run --dir "$B" export tr2.DBF --order No_PC
ok "$HEADER"$'\n'"$STOCK"$'\n'"$CASH" "export --order No_PC"
run --dir "$B" export tr2.DBF --order For_PC
ok "$HEADER"$'\n'"$CLOSED" "export --order For_PC"
run --dir "$B" export tr2.DBF --order nosuch
expect_rc 1 "export with an unknown ordering"
run --dir "$B" export nosuch.DBF
expect_rc 1 "export of an unknown table"
run --dir "$B" export z.db
expect_rc 0 "export of a shared table"
[[ $(head -n 1 <<<"$OUT") == "User_name,User_password,Subdir,Now" ]] || fail "export z.db: header [$OUT]"

# Round trip of the demonstration ledger into a fresh account.
"$CLI" --dir "$D" --account 示范帐户 export tr2.DBF >"$T/demo-tr2.csv"
(($(wc -l <"$T/demo-tr2.csv") > 1)) || fail "the demonstration ledger is empty"
run --dir "$T/empty-dir" import tr2.DBF "$T/demo-tr2.csv"
ok "" "import of an exported table"
run --dir "$T/empty-dir" export tr2.DBF
ok "$(cat "$T/demo-tr2.csv")" "export → import round trip"

count() { "$CLI" --dir "$B" sql 'SELECT COUNT(*) AS n FROM "tr2.dbf"' | tail -n 1; }
before=$(count)
printf '%s\n' "WTH,CODE,AMT" ",600001,10" ",600002,abc" ",600003,30" >"$T/bad.csv"
run --dir "$B" import tr2.DBF "$T/bad.csv"
expect_rc 1 "import with a bad number"
expect_in_out "第2行" "import with a bad number names the row"
expect_in_out "AMT" "import with a bad number names the field"
[[ $(count) == "$before" ]] || fail "a bad row must reject the whole file"
run --dir "$B" import tr2.DBF "$T/missing.csv"
expect_rc 1 "import of a missing file"
[[ $(count) == "$before" ]] || fail "import of a missing file wrote rows"

# --- sql -----------------------------------------------------------------------------------------
run --dir "$B" sql "SELECT code, amt AS 数量 FROM \"tr2.dbf\" WHERE wth='' ORDER BY code"
ok $'CODE\t数量\n600519\t100\nxj\t50000' "sql"
run --dir "$B" sql --alias curr 'SELECT User_name, Subdir, Now FROM "z.db"'
ok $'User_name\tSubdir\tNow\n我的帐户\tuser\t1' "sql --alias curr"
run --dir "$B" sql 'SELECT code FROM "tr2.dbf" WHERE code=:"Code"'
ok "CODE" "sql with an unbound parameter"
run --dir "$B" sql 'SELECT FROM WHERE'
expect_rc 1 "sql that does not read"
run --dir "$B" sql " -- all of them
WITH c AS (SELECT code FROM \"tr2.dbf\" WHERE lx='gp') SELECT COUNT(*) AS n FROM c; "
ok $'n\n2' "sql WITH, led by a comment"
for refused in "UPDATE \"tr2.dbf\" SET amt=0" \
    "SELECT 1; DELETE FROM \"tr2.dbf\"" \
    "WITH c AS (SELECT 1) DELETE FROM \"tr2.dbf\"" \
    "ATTACH '$T/other.db' AS other" \
    "PRAGMA journal_mode=DELETE"; do
    run --dir "$B" sql "$refused"
    expect_rc 1 "sql refuses [$refused]"
    expect_out "只能执行查询语句" "sql refuses [$refused]"
done
[[ $(count) == "$before" ]] || fail "a refused statement changed the table"
[[ ! -e $T/other.db ]] || fail "ATTACH made a database"
run --dir "$B" sql "SELECT nosuch FROM \"tr2.dbf\""
expect_rc 1 "sql with an unknown column"

# --- usage errors ----------------------------------------------------------------------------------
usage() {
    run "$@"
    expect_rc 2 "usage error: $*"
    [[ -z $OUT ]] || fail "usage error $*: stdout [$OUT]"
    [[ $ERR == *"用法：varneth-cli"* ]] || fail "usage error $*: no usage line on stderr [$ERR]"
}
usage --dir "$B" --now "2024-02-30 10:00:00" tables
usage --dir "$B" --now yesterday login
usage --dir "$B"
usage --dir "$B" nosuch
usage --dir "$B" tables --nosuch
usage --dir "$B" --order No_PC export tr2.DBF
usage --dir "$B" export
usage --dir "$B" import tr2.DBF
usage --dir "$B" tables extra
usage --dir "$B" sql "SELECT 1" --alias other
usage --dir "$B" --answers yx tables
usage --dir "$B" --yes --no tables
usage --dir "$B" login --yes=1
usage --dir
usage init "$T/a" "$T/b"

run --dir "$B" --now "2024-02-29 23:59:59" --yes login
ok "$B/user" "a good --now and --yes"
run --dir="$B" --answers=yn login
ok "$B/user" "--name=value options"

echo "base_commands: all checks passed"
