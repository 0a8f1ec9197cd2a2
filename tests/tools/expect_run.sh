#!/bin/sh
# expect_run.sh CODE PATTERN COMMAND [ARG]...
# Runs COMMAND and passes when it exits with CODE and its output (stdout and
# stderr together) matches the extended regular expression PATTERN (empty:
# any output).
expected=$1
pattern=$2
shift 2
output=$("$@" 2>&1)
code=$?
printf '%s\n' "$output"
if [ "$code" -ne "$expected" ]; then
  echo "expect_run: exit code $code, expected $expected"
  exit 1
fi
if [ -n "$pattern" ] && ! printf '%s\n' "$output" | grep -E -z -q -- "$pattern"; then
  echo "expect_run: output does not match: $pattern"
  exit 1
fi
exit 0
