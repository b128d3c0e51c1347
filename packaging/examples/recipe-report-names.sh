Kestrum syslog.txt -o > report.txt
tr -d '\r' < report.txt | awk '/^-+$/ { exit }
  on { name = substr($0, 2, 40); sub(/ \.*$/, "", name); print $NF, name }
  /^=+$/ { on = 1 }'
