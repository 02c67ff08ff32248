#!/bin/sh
# Started hidden by BriskoDerereve when its database cannot be opened, with the program's own process
# id as $1: it ends that program. On Windows fechar.bat ends it by image name instead; here the id is
# used so that only the copy that started this file ends, not copies run by other users or folders.
[ -n "$1" ] && kill -TERM "$1"
