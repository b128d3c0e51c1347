@echo off
rem Tallies a syslog file into tally.txt in a reports folder. Exit code 0
rem only for a report that counts entries; 1 the syslog file is missing,
rem 2 nothing was counted, 3 no report could be written; others: Kestrum's.
rem Usage: tally.cmd [syslog file] [reports folder]
setlocal
set "log=C:\Logs\Syslog.TXT"
if not "%~1"=="" set "log=%~1"
set "reports=C:\Reports"
if not "%~2"=="" set "reports=%~2"
set "report=%reports%\tally.txt"
if not exist "%reports%\" mkdir "%reports%"
if exist "%report%" del "%report%"
Kestrum "%log%" -a > "%report%"
set rc=%ERRORLEVEL%
rem No report file: the redirection failed and Kestrum never ran.
if not exist "%report%" goto noreport
if %rc% EQU 70 goto nolog
if %rc% NEQ 0 goto failed
find "File Did Not Contain Valid Syslog Entries" "%report%" >nul
if not errorlevel 1 goto nothing
echo The tally is in %report%.
exit /b 0
:noreport
echo Cannot write %report%; Kestrum did not run. 1>&2
exit /b 3
:nolog
echo The syslog file %log% is missing. 1>&2
exit /b 1
:nothing
echo Nothing counted in %log%: check the layout option. 1>&2
exit /b 2
:failed
echo Kestrum failed with exit code %rc%. 1>&2
exit /b %rc%
