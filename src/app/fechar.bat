@echo off
rem Started hidden by BriskoDerereve.exe when its database cannot be opened, with the program's own
rem process id as %1: it ends that copy only, not copies of other program folders or users.
taskkill /PID %1 /F > nul
