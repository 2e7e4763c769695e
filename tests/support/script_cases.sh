# Sourced by the test scripts that drive programs case by case (tests/e2e, tests/packages).
# Each report is one line, "PASS name" or "FAIL name: why"; the closing line tells
# scripts/test.sh how many cases ran, so a run that stops early cannot pass.
#   report NAME WHY       WHY empty: the case passed
#   run_case NAME         runs the function case_NAME; a case that reports nothing has failed
#   finish_cases LABEL    prints "LABEL finished: N cases, N reports"
reports=0
cases_run=0
report() {
  reports=$((reports + 1))
  if [ -z "$2" ]; then echo "PASS $1"; else echo "FAIL $1: $2"; fi
}
run_case() {
  local before=$reports
  cases_run=$((cases_run + 1))
  "case_$1"
  [ "$reports" -gt "$before" ] || report "$1" "the case reported nothing"
}
finish_cases() {
  echo "$1 finished: $cases_run cases, $reports reports"
}
