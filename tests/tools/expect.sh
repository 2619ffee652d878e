# Sourced by the command-line tests: runs a command and checks its exit status and output.
# Each failure is printed and counted in `failures`; a test ends with `exit $((failures > 0))`.
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

expect() {  # expect STATUS EXPECTED-OUTPUT-PATTERN -- COMMAND...
  local status=$1 pattern=$2
  shift 3
  local out
  out=$("$@" 2>&1)
  local got=$?
  if [[ $got -ne $status || ! $out =~ $pattern ]]; then
    echo "FAIL: $* -> status $got (want $status), output: $out (want /$pattern/)"
    failures=$((failures + 1))
  fi
}
