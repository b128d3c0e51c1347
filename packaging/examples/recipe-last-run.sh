Kestrum syslog.txt -s NightlyIndex -e -L | wc -l
Kestrum syslog.txt -s NightlyIndex -e -d | tr -d '\r' |
  grep '^ Original ' | tail -1
