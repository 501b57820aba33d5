# Sourced by the test scripts that drive the real program from outside; they set $build
# (the build tree) and $out (their own folder).
# drive ARGS...: sonbrel-drive ARGS; what it says on a failure goes to the standard error.
# Through a file, not a pipe: Wine's services inherit the output and would keep a pipe open.
drive() {
  wine "$build/sonbrel-drive.exe" "$@" </dev/null >"$out/drive.log" 2>&1 && return 0
  tr -d '\r' <"$out/drive.log" >&2
  return 1
}
