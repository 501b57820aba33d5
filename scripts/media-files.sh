# Sourced by the scripts that make media: makes each file once, and whole.

# make_file NAME COMMAND [ARGS...]: when NAME is missing, runs COMMAND with every
# argument "{}" replaced by a temporary name beside NAME (same extension, so that tools
# that choose the format by it choose the same); without "{}", COMMAND's output is the
# file. The temporary file becomes NAME only when COMMAND succeeds, so that a file left
# half-written by a failure or an interruption is made again by the next run.
make_file() {
  local name="$1"
  shift
  [ -f "$name" ] && return 0
  local part
  part="$(dirname "$name")/partial-$(basename "$name")"
  rm -f "$part"
  local args=() arg into_arg=0
  for arg in "$@"; do
    if [ "$arg" = "{}" ]; then
      args+=("$part")
      into_arg=1
    else
      args+=("$arg")
    fi
  done
  if [ "$into_arg" -eq 1 ]; then
    "${args[@]}"
  else
    "${args[@]}" >"$part"
  fi
  mv -f "$part" "$name"
}
