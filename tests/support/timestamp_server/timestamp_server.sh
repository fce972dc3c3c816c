# Loopback RFC 3161 time-stamp servers for shell tests (serve.py); sourced.
#   start_timestamp_server VAR DIR [--fail] [--delay SECONDS]
# starts one whose authority lives in DIR (made once) and sets VAR to its URL;
# stop_timestamp_servers ends every one started (call it from the test's EXIT trap).
timestamp_server_pids=()

start_timestamp_server() {
  local -n url_out="$1"
  local dir="$2" port_file
  shift 2
  mkdir -p "$dir"
  port_file="$(mktemp "$dir/port.XXXXXX")"
  rm -f "$port_file"
  /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/serve.py" --dir "$dir" \
    --port-file "$port_file" "$@" >/dev/null &
  timestamp_server_pids+=($!)
  for _ in $(seq 300); do
    [ -s "$port_file" ] && break
    kill -0 "$!" 2>/dev/null || { echo "time-stamp server did not start" >&2; return 1; }
    sleep 0.05
  done
  [ -s "$port_file" ] || { echo "time-stamp server did not start" >&2; return 1; }
  url_out="http://127.0.0.1:$(cat "$port_file")"
  rm -f "$port_file"
}

stop_timestamp_servers() {
  local pid
  for pid in "${timestamp_server_pids[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  timestamp_server_pids=()
}

# Whether FILE's Authenticode signature verifies against CERT and carries a time stamp that
# verifies against the servers' authority in DIR.
#   signature_is_timestamped FILE CERT DIR
signature_is_timestamped() {
  local out
  out="$(osslsigncode verify -in "$1" -CAfile "$2" -TSA-CAfile "$3/tsa.pem" 2>&1)" || return 1
  [[ "$out" == *"Timestamp Server Signature verification: ok"* ]]
}
