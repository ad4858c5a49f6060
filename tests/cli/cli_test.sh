#!/usr/bin/env bash
# The command-line program: outputs, scratch files, NAMES.dat mode and exit
# statuses.  Usage: cli_test.sh KORVAN_BINARY SOURCE_DIR
set -u
korvan=$1
src=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
expect_status() {  # expected, description, command...
  local want=$1 what=$2
  shift 2
  "$@" >"$work/stdout" 2>"$work/stderr"
  local got=$?
  if [ "$got" -ne "$want" ]; then
    echo "FAIL: $what: exit status $got, expected $want"
    cat "$work/stderr"
    failures=$((failures + 1))
  fi
}
expect_file_has() {  # file, text
  if ! grep -qF -- "$2" "$1" 2>/dev/null; then
    echo "FAIL: $1 lacks: $2"
    failures=$((failures + 1))
  fi
}

expect_status 0 "run an example" \
  "$korvan" run "$src/examples/cantilever_sheet_pile.dat" -o "$work/out"
expect_file_has "$work/out/cantilever_sheet_pile.out" "Version $("$korvan" --version | cut -d' ' -f2)"
expect_file_has "$work/out/cantilever_sheet_pile.out" "END OF ANALYSIS"
expect_file_has "$work/out/cantilever_sheet_pile.iter" "END OF ANALYSIS"
[ -f "$work/out/cantilever_sheet_pile.plot" ] || { echo "FAIL: no plot file"; failures=$((failures + 1)); }

# A cantilever clamped at its base, loaded at its top: it closes.
cat >"$work/stages.dat" <<'WALL'
CLI WALL
1 1 1 1 0 0 1 0 2 0 0 0 0 0 0
10 12.0 10.0 0.001 0.0 12.0 120.0 100 0 0 0
3 10 0.0 0.0
0.0 10.0 1
0 0 1 0
SECTION
12 0 0 0 0 0 0 0
1 0 0 100 0 0 0 0 29.0E6 0 0 0
0 0 0.0 0 0 0 0 0 0
NONE
0 0
1
0 0 0 100.0 0.0 0.0
0
2
WALL

# Outputs go beside the input by default.
expect_status 0 "run beside the input" "$korvan" run "$work/stages.dat"
expect_file_has "$work/stages.out" "Stage No : 1"
expect_file_has "$work/stages.out" "ANALYSIS COMPLETED"
# The scratch texts stay in memory unless --keep-scratch asks for the
# files: files of those names are then left alone, and the results are
# the same either way.
mkdir "$work/gen" "$work/gen/kept"
cp "$src/examples/sheet_pile_soft_clay.dat" "$work/gen/g.dat"
echo earlier >"$work/gen/g.pyc"
echo earlier >"$work/gen/g.epd"
expect_status 0 "generated curves and pressure" "$korvan" run "$work/gen/g.dat"
[ "$(cat "$work/gen/g.pyc")" = earlier ] && [ "$(cat "$work/gen/g.epd")" = earlier ] \
  || { echo "FAIL: scratch names touched without --keep-scratch"; failures=$((failures + 1)); }
expect_status 0 "keep scratch" "$korvan" run "$work/gen/g.dat" -o "$work/gen/kept" --keep-scratch
grep -q . "$work/gen/kept/g.pyc" && grep -q . "$work/gen/kept/g.epd" \
  || { echo "FAIL: scratch files not written"; failures=$((failures + 1)); }
cmp -s "$work/gen/g.plot" "$work/gen/kept/g.plot" \
  || { echo "FAIL: kept scratch files changed the results"; failures=$((failures + 1)); }

printf 'BAD\n1 0 0 0 0 0 1 0 0 0 0 0 0 0 0\n20 x\n' >"$work/bad.dat"
expect_status 2 "input error" "$korvan" run "$work/bad.dat"
expect_file_has "$work/stderr" "bad.dat:3: wall-geometry record, field 2 (increment length): expected a real, found \"x\""

cp "$src/tests/golden/stop_profile_above_excavation/input.dat" "$work/stop.dat"
expect_status 3 "generator stop" "$korvan" run "$work/stop.dat"
expect_file_has "$work/stderr" "stop code 1"
expect_file_has "$work/stop.out" "END OF ANALYSIS"
cp "$src/tests/golden/deflection_exceeded/input.dat" "$work/exceeded.dat"
expect_status 1 "allowable deflection exceeded" "$korvan" run "$work/exceeded.dat"
expect_file_has "$work/stderr" "exceeded.dat: problem 1: deflection exceeded at 22 stations beyond the allowable deflection of 0.5000 in"
cp "$src/tests/golden/iteration_limit_reached/input.dat" "$work/limit.dat"
expect_status 1 "iteration limit" "$korvan" run "$work/limit.dat" --max-iterations 2
expect_file_has "$work/stderr" "limit.dat: problem 1: not closed within the iteration limit of 2 set by the caller"
expect_file_has "$work/limit.out" "      MAXIMUM NUMBER OF ITERATIONS LIMITED BY THE CALLER TO     2"
expect_status 1 "summary of a deflection exceeded" "$korvan" summary "$work/exceeded.dat"
expect_file_has "$work/stdout" "exceeded.dat: 2 problems, deflection exceeded"
expect_status 2 "input error, its problem stopped" "$korvan" run "$work/bad.dat"
expect_file_has "$work/stderr" "bad.dat: problem 1: stopped by an input error"

# A soil profile that ends above the toe: a warning in the report and on
# standard error, and the cause beside an outcome that is not completed.
cp "$src/tests/golden/warning_soil_profile_above_toe/input.dat" "$work/short.dat"
expect_status 0 "soil profile above the toe" "$korvan" run "$work/short.dat"
expect_file_has "$work/stderr" "short.dat:18: soil layer 1: warning: the soil profile ends 5.000 ft above the toe"
expect_file_has "$work/short.out" "THE SOIL PROFILE ENDS  5.000E+00 FT ABOVE THE TOE, AT DEPTH  2.500E+01 FT."
sed -e '3s/^60 6.0 20.0 /60 6.0 0.001 /' "$work/short.dat" >"$work/short_exceeded.dat"
expect_status 1 "soil profile above the toe, deflection exceeded" "$korvan" run "$work/short_exceeded.dat"
expect_file_has "$work/stderr" "short_exceeded.dat: problem 1: deflection exceeded at"
expect_file_has "$work/stderr" "0.001000 in; the soil profile ends 5.000 ft above the toe"

# Messages that point at the mistake: values after a count (the run goes
# on as before), a decimal comma, an open quote, a count too small; a
# byte-order mark is skipped.
sed -e '15s/^0$/0 0 100.0 0.0 0.0/' "$work/stages.dat" >"$work/after_count.dat"
expect_status 0 "values after a count" "$korvan" run "$work/after_count.dat"
expect_file_has "$work/stderr" "after_count.dat:15: support count record: warning: the values after the count on this line, from \"0\", are ignored"
expect_file_has "$work/after_count.out" "ANALYSIS COMPLETED"
sed -e '3s/^10 12.0 10.0 /10 12,0 10.0 /' "$work/stages.dat" >"$work/comma.dat"
expect_status 2 "decimal comma" "$korvan" run "$work/comma.dat"
expect_file_has "$work/stderr" "(a decimal comma? use a point: 12.0)"
# A decimal comma that shifts the later fields of its record: the wall
# height (the iteration limit would read 0) and a friction angle.
sed -e '3s/ 120.0 100 / 120,0 100 /' "$work/stages.dat" >"$work/comma_height.dat"
expect_status 2 "decimal comma in the wall height" "$korvan" run "$work/comma_height.dat"
expect_file_has "$work/stderr" "comma_height.dat:3: wall-geometry record, field 7 (wall height): \"120,0\" reads as two values, 120 and 0, and the record leaves values over on line 3, from \"0\" (a decimal comma? use a point: 120.0)"
sed -e '19s/^18.0 0.0 33.0 /18.0 0.0 32,5 /' "$src/examples/sand_cantilever_water_metric.dat" >"$work/comma_phi.dat"
expect_status 2 "decimal comma in a friction angle" "$korvan" run "$work/comma_phi.dat"
expect_file_has "$work/stderr" "comma_phi.dat:19: "
expect_file_has "$work/stderr" "\"32,5\" reads as two values, 32 and 5"
# A restraint count of 1 before two restraint entries: the second is read
# as the earth-pressure wall record, which trips on its water flag.
sed -e '13s/^0$/1\n0 10 0 1.0 0.0\n0 20 0 2.0 0.0/' "$src/examples/sand_cantilever_water_metric.dat" >"$work/few_restraints.dat"
expect_status 2 "restraint count too small" "$korvan" run "$work/few_restraints.dat"
expect_file_has "$work/stderr" "expected an integer, found \"1.0\" (check the count on line 13)"
sed -e "7s/^SECTION$/'SECTION/" "$work/stages.dat" >"$work/quote.dat"
expect_status 2 "open quote" "$korvan" run "$work/quote.dat"
expect_file_has "$work/stderr" "quote.dat:7: cross section 1, name record, field 1 (section name): the quote ' opened on this line is not closed on it"
# Two specified points where the control record counts one.
sed -e '4p' "$work/stages.dat" >"$work/few.dat"
expect_status 2 "count too small" "$korvan" run "$work/few.dat"
expect_file_has "$work/stderr" "few.dat:5: wall-section record 1, field 3 (cross section): expected an integer, found \"0.0\" (check the count on line 2)"
{ printf '\357\273\277'; cat "$work/stages.dat"; } >"$work/bom.dat"
expect_status 0 "byte-order mark" "$korvan" run "$work/bom.dat"

expect_status 4 "missing input" "$korvan" run "$work/absent.dat"
expect_file_has "$work/stderr" "absent.dat"
[ ! -e "$work/absent.out" ] && [ ! -e "$work/absent.plot" ] && [ ! -e "$work/absent.iter" ] \
  || { echo "FAIL: outputs of a missing input"; failures=$((failures + 1)); }
expect_status 4 "unknown option" "$korvan" run --bogus
expect_status 4 "no subcommand" "$korvan"
expect_status 4 "unknown subcommand" "$korvan" bogus "$work/stages.dat"
expect_file_has "$work/stderr" 'unknown command "bogus"'
expect_status 0 "help" "$korvan" --help
expect_file_has "$work/stdout" "Exit status"

mkdir -p "$work/front"
cp "$work/stages.dat" "$work/front/wall.dat"
printf 'FRONT 1\nh1\nh2\n0\nwall.dat\nwall.out\nwall.plot\nwall.iter\nwall.pyc\nwall.epd\n' \
  >"$work/front/NAMES.dat"
expect_status 0 "names mode" "$korvan" names "$work/front"
expect_file_has "$work/front/wall.out" "Version FRONT 1"
expect_status 4 "names without NAMES.dat" "$korvan" names "$work/out"
expect_file_has "$work/stderr" "cannot read the run-control file \"$work/out/NAMES.dat\": there is no such file"

# Results as data, as a page and as a summary, beside the other outputs.
expect_status 0 "json and html" \
  "$korvan" run "$src/examples/staged_excavation.dat" -o "$work/res" --json --html
expect_file_has "$work/res/staged_excavation.results.json" '"problems": ['
expect_file_has "$work/res/staged_excavation.html" '<svg xmlns="http://www.w3.org/2000/svg"'
[ -f "$work/res/staged_excavation.out" ] || { echo "FAIL: no report beside the results"; failures=$((failures + 1)); }
expect_status 0 "summary" "$korvan" summary "$src/examples/staged_excavation.dat" -o "$work/res"
expect_file_has "$work/stdout" "strut 1 (per strut)"
expect_status 0 "run --summary" \
  "$korvan" run "$src/examples/staged_excavation.dat" -o "$work/res" --summary
expect_file_has "$work/stdout" "max deflection"
expect_status 2 "input error with results" "$korvan" run "$work/bad.dat" --json --summary
expect_file_has "$work/bad.results.json" '"status": "input error"'
# The error once, on standard error; the summary names the status.
expect_status 2 "summary of an input error" "$korvan" summary "$work/bad.dat"
[ "$(cat "$work/stdout" "$work/stderr" | grep -c 'expected a real, found')" -eq 1 ] \
  || { echo "FAIL: summary error not printed once"; failures=$((failures + 1)); }
expect_file_has "$work/stdout" "1 problem, input error"
mkdir -p "$work/blocked/stages.results.json"
cp "$work/stages.dat" "$work/blocked/stages.dat"
expect_status 4 "results file cannot be written" "$korvan" run "$work/blocked/stages.dat" --json
expect_file_has "$work/stderr" "cannot write the JSON results file"
expect_status 0 "help" "$korvan" run --help
expect_file_has "$work/stdout" "--html"
expect_status 0 "help of the commands" "$korvan" --help
expect_file_has "$work/stdout" "Analyse one or more input data files"

# A batch: every file analysed, the worst status returned, a summary.
mkdir -p "$work/batch"
cp "$work/stages.dat" "$work/batch/a.dat"
cp "$work/stages.dat" "$work/batch/b.dat"
cp "$work/bad.dat" "$work/batch/c.dat"
expect_status 2 "batch with a bad file" "$korvan" run "$work/batch/a.dat" "$work/batch/b.dat" "$work/batch/c.dat" -j 2
expect_file_has "$work/batch/a.out" "ANALYSIS COMPLETED"
expect_file_has "$work/batch/b.out" "ANALYSIS COMPLETED"
expect_file_has "$work/stderr" "3 files, 3 problems in "
expect_file_has "$work/stderr" " ms with 2 threads: 2 completed, 0 deflection exceeded, 0 not closed, 1 input error, 0 generator stops, 0 file errors"
cp "$work/exceeded.dat" "$work/batch/d.dat"
cp "$work/limit.dat" "$work/batch/e.dat"
expect_status 1 "batch by outcome" "$korvan" run "$work/batch/a.dat" "$work/batch/d.dat" "$work/batch/e.dat" -j 1 --max-iterations 2
expect_file_has "$work/stderr" " ms with 1 thread: 1 completed, 1 deflection exceeded, 1 not closed, 0 input errors, 0 generator stops, 0 file errors"
expect_status 4 "batch of one problem" "$korvan" run "$work/batch/a.dat" "$work/batch/absent.dat"
expect_file_has "$work/stderr" "2 files, 1 problem in "

# A batch whose runs would write into the same files is refused before any
# run starts, naming both inputs.
mkdir -p "$work/same/a" "$work/same/b"
cp "$work/stages.dat" "$work/same/a/w.dat"
cp "$work/stages.dat" "$work/same/b/w.dat"
expect_status 4 "batch writing one set of files twice" \
  "$korvan" run "$work/same/a/w.dat" "$work/same/b/w.dat" -o "$work/same/out" -j 2
expect_file_has "$work/stderr" "$work/same/a/w.dat and $work/same/b/w.dat"
[ ! -e "$work/same/out/w.out" ] || { echo "FAIL: refused batch wrote"; failures=$((failures + 1)); }
expect_status 4 "one input twice" "$korvan" run "$work/same/a/w.dat" "$work/same/a/./w.dat"
# The second input is the first run's scratch file (written only when
# kept).
cp "$work/stages.dat" "$work/same/a/w.pyc"
expect_status 4 "input that another run uses as scratch" \
  "$korvan" run "$work/same/a/w.dat" "$work/same/a/w.pyc" --keep-scratch
[ -s "$work/same/a/w.pyc" ] || { echo "FAIL: scratch-named input destroyed"; failures=$((failures + 1)); }

# A run whose outputs name its input is refused; the input stays whole.
mkdir -p "$work/self"
for name in x.epd x.pyc x.out x.plot x.iter; do
  cp "$work/stages.dat" "$work/self/$name"
  case $name in
    *.epd | *.pyc) ;;  # a scratch name is not written without --keep-scratch
    *)
      expect_status 4 "input named $name" "$korvan" run "$work/self/$name"
      expect_file_has "$work/stderr" "are one file"
      ;;
  esac
  expect_status 4 "input named $name, scratch kept" "$korvan" run "$work/self/$name" --keep-scratch
  expect_file_has "$work/stderr" "are one file"
  cmp -s "$work/stages.dat" "$work/self/$name" || { echo "FAIL: input $name changed"; failures=$((failures + 1)); }
  rm "$work/self/$name"
done
# An input data file named as a project is refused as not JSON, and the
# refused run writes nothing.
cp "$work/stages.dat" "$work/self/y.json"
expect_status 2 "input data file named y.json" "$korvan" run "$work/self/y.json" --json
expect_file_has "$work/stderr" "y.json:1: not JSON: "
cmp -s "$work/stages.dat" "$work/self/y.json" || { echo "FAIL: input y.json changed"; failures=$((failures + 1)); }
[ "$(ls "$work/self")" = "y.json" ] || { echo "FAIL: refused run left files: $(ls "$work/self")"; failures=$((failures + 1)); }

# A run that cannot open its files, or finds no input, leaves the earlier
# results as they were; an output name that is a link is replaced, its
# target left alone.
mkdir -p "$work/keep"
cp "$work/stages.dat" "$work/keep/w.dat"
expect_status 0 "earlier run" "$korvan" run "$work/keep/w.dat" --json
cp "$work/keep/w.out" "$work/keep/w.out.before"
cp "$work/keep/w.results.json" "$work/keep/w.json.before"
mv "$work/keep/w.plot" "$work/keep/w.plot.before"
mkdir "$work/keep/w.plot"
expect_status 4 "plot file cannot be opened" "$korvan" run "$work/keep/w.dat" --json
expect_file_has "$work/stderr" "cannot open the plot-data file"
cmp -s "$work/keep/w.out" "$work/keep/w.out.before" || { echo "FAIL: earlier report changed"; failures=$((failures + 1)); }
cmp -s "$work/keep/w.results.json" "$work/keep/w.json.before" || { echo "FAIL: earlier results changed"; failures=$((failures + 1)); }
rmdir "$work/keep/w.plot"
mv "$work/keep/w.dat" "$work/keep/w.dat.away"
expect_status 4 "input gone" "$korvan" run "$work/keep/w.dat"
expect_file_has "$work/stderr" "cannot open the input data file \"$work/keep/w.dat\""
cmp -s "$work/keep/w.out" "$work/keep/w.out.before" || { echo "FAIL: report replaced for a missing input"; failures=$((failures + 1)); }
mv "$work/keep/w.dat.away" "$work/keep/w.dat"
ls -a "$work/keep" | grep -q '\.tmp$' && { echo "FAIL: temporary files left"; failures=$((failures + 1)); }
echo precious >"$work/keep/precious"
rm "$work/keep/w.out"
ln -s "$work/keep/precious" "$work/keep/w.out"
expect_status 0 "report name that is a link" "$korvan" run "$work/keep/w.dat"
[ "$(cat "$work/keep/precious")" = precious ] || { echo "FAIL: link target overwritten"; failures=$((failures + 1)); }
expect_file_has "$work/keep/w.out" "END OF ANALYSIS"

# Folders and nonsense counts get a plain message.
expect_status 4 "a folder as input" "$korvan" run .
expect_file_has "$work/stderr" '"." is a folder, not an input data file'
[ ! -e "..out" ] || { echo "FAIL: ..out written"; failures=$((failures + 1)); }
expect_status 4 "a named folder as input" "$korvan" run "$work/keep"
expect_file_has "$work/stderr" "is a folder, not an input data file"
expect_status 4 "no worker threads" "$korvan" run "$work/keep/w.dat" -j 0
expect_file_has "$work/stderr" 'the number of worker threads is a whole number, 1 or more, not "0"'
if [ "$(wc -c <"$work/stderr")" -gt 200 ]; then echo "FAIL: long -j message"; failures=$((failures + 1)); fi

for bad in 0 -5 1.5 many; do
  expect_status 4 "--max-iterations $bad" "$korvan" run "$work/keep/w.dat" --max-iterations "$bad"
  expect_file_has "$work/stderr" "--max-iterations must be a positive whole number, not \"$bad\""
  if [ "$(wc -c <"$work/stderr")" -gt 200 ]; then echo "FAIL: long --max-iterations message"; failures=$((failures + 1)); fi
done
expect_status 0 "--max-iterations 50" "$korvan" run "$work/keep/w.dat" --max-iterations 50
expect_status 4 "summary --max-iterations 0" "$korvan" summary "$work/keep/w.dat" --max-iterations 0

# Scratch names that are links are replaced, their targets left alone; a
# pipe as an output name is refused instead of waiting for a reader.
mkdir "$work/scratch"
cp "$src/examples/sheet_pile_soft_clay.dat" "$work/scratch/g.dat"
echo precious >"$work/scratch/precious"
echo precious >"$work/scratch/precious2"
ln -s precious "$work/scratch/g.pyc"
ln -s precious2 "$work/scratch/g.epd"
expect_status 0 "scratch names that are links" "$korvan" run "$work/scratch/g.dat" --keep-scratch
for p in precious precious2; do
  [ "$(cat "$work/scratch/$p")" = precious ] || { echo "FAIL: scratch link target $p overwritten"; failures=$((failures + 1)); }
done
[ -L "$work/scratch/g.pyc" ] && { echo "FAIL: scratch link kept"; failures=$((failures + 1)); }
mkfifo "$work/scratch/g.results.json"
expect_status 4 "a pipe as results file" timeout 20 "$korvan" run "$work/scratch/g.dat" --json
expect_file_has "$work/stderr" "g.results.json\": it is neither a file nor a device"
mkfifo "$work/scratch/p.out"
cp "$work/scratch/g.dat" "$work/scratch/p.dat"
expect_status 4 "a pipe as report" timeout 20 "$korvan" run "$work/scratch/p.dat"
expect_file_has "$work/stderr" "p.out\" for writing: it is neither a file nor a device"

# Project files: an input data file to JSON and back; a project runs to the
# outputs of its input data file, and its results do not replace it.
mkdir -p "$work/proj/d"
expect_status 0 "convert to a project" \
  "$korvan" convert "$src/examples/staged_excavation.dat" "$work/proj/s.json"
expect_file_has "$work/proj/s.json" '"format": "korvan-project"'
expect_status 0 "convert back" "$korvan" convert "$work/proj/s.json" "$work/proj/s.dat"
expect_status 0 "run the project" "$korvan" run "$work/proj/s.json" --json
expect_status 0 "run its input data file" "$korvan" run "$work/proj/s.dat" -o "$work/proj/d"
for ext in plot iter; do
  cmp -s "$work/proj/s.$ext" "$work/proj/d/s.$ext" || { echo "FAIL: project and data file differ in .$ext"; failures=$((failures + 1)); }
done
diff <(grep -v "Name of input data file\|Path to file\|Date: " "$work/proj/s.out") \
     <(grep -v "Name of input data file\|Path to file\|Date: " "$work/proj/d/s.out") >/dev/null \
  || { echo "FAIL: project and data file reports differ"; failures=$((failures + 1)); }
expect_file_has "$work/proj/s.out" "Name of input data file     : s.json"
expect_file_has "$work/proj/s.results.json" '"status": "completed"'
expect_file_has "$work/proj/s.json" '"format": "korvan-project"'
expect_status 4 "convert between two input data files" \
  "$korvan" convert "$work/proj/s.dat" "$work/proj/t.dat"
expect_file_has "$work/stderr" "one file must be a project file (.json)"
expect_status 4 "convert a file onto itself" "$korvan" convert "$work/proj/s.json" "$work/proj/./s.json"
sed 's/"increments": 48,/"increments": "x",/' "$work/proj/s.json" >"$work/proj/bad.json"
expect_status 2 "a project with a value of the wrong kind" "$korvan" run "$work/proj/bad.json"
expect_file_has "$work/stderr" "bad.json: problems[0].wall.increments: expected an integer, found \"x\""
[ ! -e "$work/proj/bad.out" ] || { echo "FAIL: refused project wrote a report"; failures=$((failures + 1)); }
expect_status 2 "convert a project with a fault" "$korvan" convert "$work/proj/bad.json" "$work/proj/bad.dat"
[ ! -e "$work/proj/bad.dat" ] || { echo "FAIL: refused conversion wrote"; failures=$((failures + 1)); }
expect_status 2 "convert an input data file with a fault" "$korvan" convert "$work/bad.dat" "$work/proj/bad2.json"
expect_file_has "$work/stderr" "expected a real, found"

if [ "$failures" -eq 0 ]; then echo "cli: all checks passed"; fi
exit $((failures > 0))
