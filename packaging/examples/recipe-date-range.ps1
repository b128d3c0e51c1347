$from = '2026-12-07T08:20'; $to = '2026-12-07T08:30'
Get-Content syslog.txt |
  Where-Object { $d = ($_ -split ' ')[1]; $d -ge $from -and $d -lt $to } |
  Set-Content $env:TEMP\range.log -Encoding ascii
Kestrum $env:TEMP\range.log
