# Runs a program under test with a bound on its time and on the bytes kept of
# its output, so that a faulty build fails its test quickly instead of hanging
# or filling the disk. Sourced by the test and benchmark scripts.
#
#   bounded_run SECONDS OUT_CAP ERR_CAP OUT_FILE ERR_FILE INPUT COMMAND...
#
# runs COMMAND with standard input from INPUT, standard output to OUT_FILE and
# standard error to ERR_FILE, byte for byte. A file size limit just past the
# larger cap stops a runaway writer at once (SIGXFSZ, or EFBIG where the signal
# is ignored); a command still running after SECONDS gets SIGTERM, and SIGKILL
# BOUNDED_KILL_AFTER seconds later. No core file is written.
#
# Sets bounded_status to the command's exit status and bounded_failure to
# what went over ("timed out after 20 s", "wrote more than 4194304 bytes to
# standard output") or to nothing; returns 1 when something went over.

#
# A script's signal trap calls bounded_stop first: the command runs in the
# background so that the trap need not wait for it to end by itself.

BOUNDED_KILL_AFTER=${BOUNDED_KILL_AFTER:-2}
# Room to spare past what a run is expected to write.
BOUNDED_SPARE_BYTES=$((4 * 1024 * 1024))
bounded_pid=

# Makes a private scratch folder and sets `scratch` to it. The name is set
# before the folder is made, so that a trap set beforehand
#   scratch=
#   trap '[[ -z $scratch ]] || rm -rf "$scratch"' EXIT
# removes it whenever the script is stopped (mktemp -d would make it first).
make_scratch() {
  local attempt
  for attempt in 1 2 3 4 5; do
    scratch=${TMPDIR:-/tmp}/kaland-test.$$.$RANDOM$RANDOM
    mkdir -m 700 "$scratch" 2>/dev/null && return 0
  done
  echo "cannot make a scratch folder in ${TMPDIR:-/tmp}"
  return 1
}

bounded_stop() {
  if [[ -n $bounded_pid ]]; then
    kill "$bounded_pid" 2>/dev/null
    wait "$bounded_pid" 2>/dev/null
  fi
}

bounded_run() {
  local seconds=$1 out_cap=$2 err_cap=$3 out_file=$4 err_file=$5 input=$6
  shift 6
  local cap=$((out_cap > err_cap ? out_cap : err_cap))
  local start=$EPOCHREALTIME
  # The limit counts 1024-byte blocks and lets at least one byte past the cap
  # through, so that going over can be told from writing exactly the cap.
  # The shell's own notice of a killed command is not wanted; any error of
  # exec goes to ERR_FILE.
  {
    (ulimit -f $((cap / 1024 + 1)) -c 0 &&
       exec timeout -k "$BOUNDED_KILL_AFTER" "$seconds" "$@" <"$input" >"$out_file" 2>"$err_file") &
    bounded_pid=$!
    wait "$bounded_pid"
  } 2>/dev/null
  bounded_status=$?
  bounded_pid=
  local elapsed_us=$((${EPOCHREALTIME/./} - ${start/./}))

  local sizes
  sizes=($(stat -L -c %s "$out_file" "$err_file"))
  bounded_failure=
  if ((sizes[0] > out_cap)); then
    bounded_failure="wrote more than $out_cap bytes to standard output"
  elif ((sizes[1] > err_cap)); then
    bounded_failure="wrote more than $err_cap bytes to standard error"
  elif [[ $bounded_status == 124 || $bounded_status == 137 ]] && ((elapsed_us >= seconds * 1000000)); then
    bounded_failure="timed out after $seconds s"
  fi
  [[ -z $bounded_failure ]]
}
