Kestrum syslog.txt -L | tr -d '\r' | sort -f | uniq -ci | sort -rn | head
