zcat -f syslog.txt |
  awk '$2 >= "2026-12-07T08:20" && $2 < "2026-12-07T08:30"' |
  Kestrum /dev/stdin
