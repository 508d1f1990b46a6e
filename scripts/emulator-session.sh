# Shared by the scripts that run the program against the emulated dive computer (sourced).
#
# start_emulator FOLDER [emulator options]: starts build/release/emulator/vyper-emulator with
# its log in FOLDER/emulator.log, waits until its pseudo-terminal is ready and sets
# EMULATOR_PID and DEVICE. The emulator is stopped when the script exits.
# write_settings FILE DEVICE INTERFACE: a settings file with COM2 mapped to DEVICE, the
# interface type INTERFACE and the default delay.

start_emulator() {
  folder="$1"; shift
  rm -f "$folder/device"
  "$ROOT/build/release/emulator/vyper-emulator" "$@" \
    --path-file="$folder/device" --log="$folder/emulator.log" >/dev/null &
  EMULATOR_PID=$!
  trap stop_emulator EXIT
  trap 'exit 130' INT TERM
  waited=0
  while [ ! -s "$folder/device" ]; do
    if ! kill -0 "$EMULATOR_PID" 2>/dev/null || [ "$waited" -ge 100 ]; then
      echo "Der Tauchcomputer-Emulator ist nicht gestartet; siehe $folder/emulator.log" >&2
      echo "The dive computer emulator did not start; see $folder/emulator.log" >&2
      exit 1
    fi
    sleep 0.1
    waited=$((waited + 1))
  done
  DEVICE="$(head -n 1 "$folder/device")"
}

stop_emulator() {
  kill "$EMULATOR_PID" 2>/dev/null || true
  wait "$EMULATOR_PID" 2>/dev/null || true
  if command -v emulator_cleanup >/dev/null 2>&1; then emulator_cleanup; fi
}

write_settings() {
  cat >"$1" <<SETTINGS
[CommPort]
Number=2
InterfaceType=$3
Delay=350

[Ports]
COM2=$2
SETTINGS
}
