# Sourced by the window tests' scripts. start_camsim runs camsim on the demo
# fleet moved to the loopback range PREFIX, with a sample UpdateFiles tree in
# WORK, and waits (bounded) until it is ready; stop_camsim ends it.
# Needs CAMSIM, MKFWIMAGE, FLEET, PREFIX, SCALE and WORK. Sets CAMSIM_PID, and
# PORT to the discovery port camsim took (the argument; 0 lets it choose).
CAMSIM_PID=""

start_camsim() {
  sed "s/127\.77\.0\./${PREFIX//./\\.}/g" "$FLEET" >"$WORK/fleet.json"
  "$MKFWIMAGE" sample-tree "$WORK" >/dev/null
  "$CAMSIM" --fleet "$WORK/fleet.json" --time-scale "$SCALE" --discovery-port "$1" \
    --ready-file "$WORK/ready" >"$WORK/camsim.log" 2>&1 &
  CAMSIM_PID=$!
  # Room for a loaded machine.
  for _ in $(seq 1 600); do
    [ -s "$WORK/ready" ] && break
    kill -0 "$CAMSIM_PID" 2>/dev/null || break
    sleep 0.1
  done
  [ -s "$WORK/ready" ] || { echo "camsim did not get ready"; cat "$WORK/camsim.log"; exit 1; }
  PORT=$(sed -n 's/.*discovery port \([0-9]*\).*/\1/p' "$WORK/ready")
  [ -n "$PORT" ] || { echo "no discovery port in camsim's ready file"; exit 1; }
}

stop_camsim() {
  if [ -n "$CAMSIM_PID" ]; then
    kill -TERM "$CAMSIM_PID" 2>/dev/null && wait "$CAMSIM_PID" 2>/dev/null
  fi
  return 0
}
