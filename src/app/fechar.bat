@echo off
rem Started hidden by BriskoDerereve.exe when its database cannot be opened: ends the program.
taskkill /IM BriskoDerereve.exe /F
