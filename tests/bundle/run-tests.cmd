@echo off
rem Runs the Windows tests of this folder against its own convert.exe, from
rem wherever it is called: run-tests.cmd [--results DIR] [--release DIR] [NAME...]
setlocal
if exist "%~dp0run_tests.exe" goto run
echo run-tests.cmd: %~dp0run_tests.exe is missing: this folder is not a whole test bundle 1>&2
exit /b 2
:run
"%~dp0run_tests.exe" %*
exit /b %ERRORLEVEL%
