#!/bin/sh
# Tallies a syslog file into tally.txt in a reports folder. Exit code 0
# only for a report that counts entries; 1 the syslog file is missing,
# 2 nothing was counted, 3 no report could be written; others: Kestrum's.
# Usage: tally.sh [syslog file] [reports folder]
log=${1:-/var/log/syslog.txt}
reports=${2:-/srv/reports}
report=$reports/tally.txt
mkdir -p "$reports" && rm -f "$report"
Kestrum "$log" -a > "$report"
rc=$?
# No report file: the redirection failed and Kestrum never ran.
if [ ! -f "$report" ]; then
  echo "Cannot write $report; Kestrum did not run." >&2; exit 3
fi
case $rc in
  0)  ;;
  70) echo "The syslog file $log is missing." >&2; exit 1 ;;
  *)  echo "Kestrum failed with exit code $rc." >&2; exit "$rc" ;;
esac
if grep -q "File Did Not Contain Valid Syslog Entries" "$report"; then
  echo "Nothing counted in $log: check the layout option." >&2; exit 2
fi
echo "The tally is in $report."
