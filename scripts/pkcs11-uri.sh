# PKCS#11 URIs (RFC 7512) as the signing scripts read them; sourced.

# The value of attribute $2 in the path of PKCS#11 URI $1, percent-decoded; empty when absent.
uri_attribute() {
  local path="${1#pkcs11:}" part value parts=()
  IFS=';' read -r -a parts <<<"${path%%\?*}"
  for part in "${parts[@]}"; do
    if [ "${part%%=*}" = "$2" ]; then
      value="${part#*=}"
      printf '%b' "${value//%/\\x}"
      return 0
    fi
  done
}

# The URI without its pin-value.
uri_without_pin() {
  local uri="${1#pkcs11:}" query="" part parts=() kept=()
  [[ "$uri" != *\?* ]] || query="?${uri#*\?}"
  IFS=';' read -r -a parts <<<"${uri%%\?*}"
  for part in "${parts[@]}"; do
    [ "${part%%=*}" = pin-value ] || kept+=("$part")
  done
  local IFS=';'
  printf 'pkcs11:%s%s' "${kept[*]}" "$query"
}
