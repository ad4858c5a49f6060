#!/bin/sh
# Rebuilds table.txt from make_table.f90 with the installed gfortran.
# Built without optimisation, so that 10.0**n is evaluated at run time by
# the Fortran runtime, as the engine mirrors it.
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
gfortran -O0 -std=f2018 -Wall -o "$tmp/make_table" make_table.f90
"$tmp/make_table"
echo "table.txt: $(wc -l < table.txt) rows"
