@echo off
rem 예제 프로그램을 시작합니다.
echo Tarnwick sample started from %~dp0
type "%~dp0..\readme.txt"
