Kestrum syslog.txt -L | Group-Object | Sort-Object Count -Descending |
  Select-Object -First 10 Count, Name
