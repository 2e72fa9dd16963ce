# Shared by the command-line checks (sourced, never run alone): the CLI under test as $1, a scratch
# folder $T removed at the end, and running the CLI with its output kept for checking.
CLI=$1
T=$(mktemp -d)
trap 'chmod -R u+w "$T" 2>/dev/null; rm -rf "$T"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Runs the CLI; its stdout lands in OUT, stderr in ERR, exit status in RC.
cli() {
    set +e
    OUT=$("$CLI" "$@" 2>"$T/stderr")
    RC=$?
    set -e
    ERR=$(cat "$T/stderr")
}
run() { cli "$@"; }

# expect STATUS STDOUT DESCRIPTION: the last run ended so and printed exactly that.
expect() {
    [[ $RC == "$1" ]] || fail "$3: exit $RC, expected $1; stdout [$OUT] stderr [$ERR]"
    [[ $OUT == "$2" ]] || fail "$3: stdout"$'\n'"[$OUT]"$'\n'"expected"$'\n'"[$2]"
}
