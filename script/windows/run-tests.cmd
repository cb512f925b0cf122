@echo off
rem The Cadrel Screen Saver's tests, from the folder this file is in: the unit
rem tests, then the host tests, each writing GoogleTest's XML report here.
rem Ends with the line "N passed, N failed, N skipped" and exits 1 when a test
rem failed. Only cmd's own commands: Wine has no PowerShell.
setlocal
cd /d "%~dp0"
set passed=0
set failed=0
set skipped=0

call :run cadrel_unit_tests
call :run cadrel_host_tests

echo Reports: %cd%\cadrel_unit_tests.xml and cadrel_host_tests.xml
echo %passed% passed, %failed% failed, %skipped% skipped
if %failed%==0 exit /b 0
exit /b 1

rem :run PROGRAM, adding its counts to the totals. In brief mode GoogleTest
rem closes with "[==========] N tests from N test suites ran.", "[  PASSED  ] N
rem tests." and, when some were skipped, "[  SKIPPED ] N tests."; the rest
rem failed. A program that ends without those lines, or fails though none of
rem its tests did, counts as one failure.
:run
echo Running %1:
%1.exe --gtest_brief=1 --gtest_output=xml:%1.xml >%1.log 2>&1
set status=%errorlevel%
type %1.log
set ran=
set ok=0
set skip=0
for /f "tokens=1,2,4,8" %%a in (%1.log) do (
    if "%%a"=="[==========]" if "%%d"=="ran." set ran=%%b
    if "%%b"=="PASSED" set ok=%%c
    if "%%b"=="SKIPPED" set skip=%%c
)
if not defined ran (
    echo %1 ended with status %status% before its summary.
    set /a failed+=1
    goto :eof
)
set /a passed+=ok
set /a skipped+=skip
set /a bad=ran-ok-skip
if %bad%==0 if not %status%==0 set bad=1
set /a failed+=bad
goto :eof
