#!/usr/bin/env bash
# `korvan serve` from the command line: the address it prints, the warning
# for an address other than the loopback, a port in use and a bad port.
# Usage: serve_test.sh KORVAN_BINARY
set -u
korvan=$1
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# Waits for the address line of a server's standard output.
address_of() {
  for _ in $(seq 100); do
    url=$(grep -o 'http://[^ ]*/' "$1" 2>/dev/null | head -1)
    [ -n "$url" ] && { echo "$url"; return 0; }
    sleep 0.1
  done
  return 1
}

"$korvan" serve --port 0 >"$work/a.out" 2>"$work/a.err" &
pids+=($!)
url=$(address_of "$work/a.out") || fail "no address printed: $(cat "$work/a.out" "$work/a.err")"
case "$url" in
  http://127.0.0.1:[1-9]*/) ;;
  *) fail "not on the loopback: $url" ;;
esac
[ -s "$work/a.err" ] && fail "warning on the loopback: $(cat "$work/a.err")"

# The same port again: refused, status 4, the port named.
port=${url##*:}
port=${port%/}
"$korvan" serve --port "$port" >"$work/b.out" 2>"$work/b.err"
status=$?
[ "$status" -eq 4 ] || fail "a port in use gave status $status"
grep -q "cannot listen on 127.0.0.1:$port" "$work/b.err" || fail "no message for a port in use: $(cat "$work/b.err")"

# Another address: served, with a warning.
"$korvan" serve --host 0.0.0.0 --port 0 >"$work/c.out" 2>"$work/c.err" &
pids+=($!)
address_of "$work/c.out" >/dev/null || fail "no address printed for 0.0.0.0"
grep -q "warning: listening on 0.0.0.0, not the loopback" "$work/c.err" || fail "no warning for 0.0.0.0: $(cat "$work/c.err")"

"$korvan" serve --port 70000 >/dev/null 2>&1
status=$?
[ "$status" -eq 4 ] || fail "port 70000 gave status $status"

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "korvan serve: address, warning, port in use and bad port as expected"
