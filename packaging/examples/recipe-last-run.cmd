Kestrum syslog.txt -s NightlyIndex -e -d | find " Original "
