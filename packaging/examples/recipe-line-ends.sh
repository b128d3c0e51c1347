Kestrum syslog.txt -L | tr -d '\r' | grep 'sshd$'
