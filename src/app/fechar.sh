#!/bin/sh
# Started hidden by BriskoDerereve when its database cannot be opened, with the program's own process
# id as $1: it ends that copy only, not copies run by other users or from other folders.
[ -n "$1" ] && kill -TERM "$1"
