#!/usr/bin/env bash
# End-to-end checks of the account and backup commands: who may add, delete and copy, which
# password each command reads, the scripted answer to the restore question, the exit statuses.
set -euo pipefail

source "$(dirname "$0")/lib/harness.sh"
rows() { "$CLI" "$@" sql 'SELECT COUNT(*) AS n FROM "tr2.DBF"' | tail -n 1; }

P=$T/prog
B=$T/backup
"$CLI" init "$P" >/dev/null
ME=(--dir "$P" --account 我的帐户 --password "")
DONE="复制结束，自动退出系统。"

# Adding needs the login of "我的帐户"; --new-password is the new account's.
run --dir "$P" --account 示范帐户 account add --name 张三 --subdir zs
expect 1 "只有进入'我的帐户'才有权限添加和删除管理帐户." "add from another account"
run "${ME[@]}" account add --name 张三 --subdir zs --new-password pw
expect 0 "建立帐户成功." "add"
run --dir "$P" --account 张三 --password pw login
expect 0 "$P/zs" "the new account logs in"

# Deleting needs the login of "我的帐户" and the deleted account's own password.
run --dir "$P" --account 张三 --password pw account delete --name 张三 --its-password pw
expect 1 "只有进入'我的帐户'才有权限添加和删除管理帐户." "delete from another account"
run "${ME[@]}" account delete --name 张三 --its-password nope
expect 1 "口令不对(需要该帐户管理人的口令)；退出重来!" "delete with a wrong password"
run "${ME[@]}" account delete --name 张三 --its-password pw
expect 0 "已经删除。" "delete"
[[ ! -e $P/zs ]] || fail "delete left $P/zs"

# The password of the account logged in.
"$CLI" "${ME[@]}" account add --name 王五 --subdir ww --new-password a >/dev/null
W=(--dir "$P" --account 王五)
run "${W[@]}" --password a account passwd --old a --new ""
expect 0 "口令已改，重新登录!" "passwd to no password"
W+=(--password "")
run "${W[@]}" login
expect 0 "$P/ww" "an empty password logs in"

# A Subdir is one plain name inside the program directory.
run "${ME[@]}" account add --name 赵六 --subdir ../out
[[ $RC == 1 && ! -e $T/out ]] || fail "a Subdir reaching outside: exit $RC [$OUT]"

# The list of accounts changes only through the account commands, and never shows a password.
printf '%s\n' "User_name,User_password,Subdir" "李四,,ww" >"$T/z.csv"
run --dir "$P" import z.db "$T/z.csv"
expect 1 "管理帐户清单只能通过帐户管理修改。" "import into z.db"
run --dir "$P" sql 'SELECT User_name, User_password FROM "z.db" WHERE User_name = '"'王五'" --alias curr
expect 0 $'User_name\tUser_password\n王五\t' "sql hides the password"
run --dir "$P" export z.db
[[ $RC == 0 && $OUT != *'$argon'* && $OUT == *王五,,ww* ]] || fail "export shows a password hash [$OUT]"

# Backup and restore as the copy window would have it for the account logged in.
run "${W[@]}" backup to --shared --target "$B"
expect 1 "进我的帐户方可拷贝公用文件。" "shared files from another account"
[[ ! -e $B ]] || fail "a refused backup made $B"
run "${W[@]}" --yes backup from --target "$B"
expect 1 "这将覆盖硬盘中王五的文件，继续吗? [Yes]"$'\n'"A盘上共用文件子目录不存在，退出操作!" "restore without a backup"
run "${W[@]}" backup to --target "$B"
expect 0 "$DONE" "backup of the account's files"
[[ -f $B/varneth/ww/varneth.db && ! -e $B/varneth/varneth.db ]] || fail "backup of the account's files"
run "${ME[@]}" backup to --shared --no-account --target "$B"
expect 0 "$DONE" "backup of the shared files"
[[ -f $B/varneth/varneth.db && ! -e $B/varneth/user ]] || fail "backup of the shared files"

printf '%s\n' "CODE,AMT" "600000,100" >"$T/row.csv"
"$CLI" "${W[@]}" import tr2.DBF "$T/row.csv"
run "${W[@]}" --answers n backup from --target "$B"
expect 1 "这将覆盖硬盘中王五的文件，继续吗? [No]" "restore refused at the question"
[[ $(rows "${W[@]}") == 1 ]] || fail "a refused restore changed the ledger"
run "${W[@]}" --answers y backup from --target "$B"
expect 0 "这将覆盖硬盘中王五的文件，继续吗? [Yes]"$'\n'"$DONE" "restore of the account's files"
[[ $(rows "${W[@]}") == 0 ]] || fail "restore of the account's files kept the row added since"

for bad in "backup sideways --target $B" "backup to" "account rename" "account add --name x --subdir y --old z"; do
    # shellcheck disable=SC2086
    run "${ME[@]}" $bad
    [[ $RC == 2 ]] || fail "$bad: exit $RC, expected a usage error"
done
