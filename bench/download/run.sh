#!/usr/bin/env bash
# Download and listing speed of OrvUpdateCheck against a local pyftpdlib server and a local
# HTTPS server (tests/support/https_server, on the same folder), each next to curl on the same
# server in the same run.
#   bench/download/run.sh [BUILD_DIR] [RUNS]   (default build/win32 and 5; needs download_bench.exe)
# Prints every run and a summary per transport: the library's download of a 64 MiB package (its
# own read size; over FTP one run with 1,024-byte reads for reference), curl's download of the
# same file, and over FTP one listing attempt on a directory of 1,000 files and curl's listing
# of that directory. MB/s covers the whole download as the dialog runs it (session, connection,
# size query or TLS handshake, transfer); transfer_MB/s only the data after the first read.
# Over HTTPS the library trusts the test root through the prefix's Root store, curl through
# --cacert.
set -euo pipefail
cd "$(dirname "$0")/../.."
build="$(cd "${1:-build/win32}" && pwd)"
runs="${2:-5}"
bench="$build/bin/download_bench.exe"
[ -f "$bench" ] || { echo "run.sh: $bench missing; build the Windows tree first" >&2; exit 2; }

# Wine's own programs (reg) run with the benchmark's architecture.
pe_offset=$(od -An -tu4 -j60 -N4 "$bench" | tr -d " ")
arch=--win32-prefix
[ "$(od -An -tx2 -j$((pe_offset + 4)) -N2 "$bench" | tr -d " ")" = 8664 ] && arch=--win64-prefix
work="$build/bench-download"
mkdir -p "$work"
export BENCH_EXE="$bench" BENCH_WORK="$work" BENCH_RUNS="$runs" WINE_ARCH="$arch" \
       WINE_RUN="$PWD/scripts/wine-run" PREFIX="$build/wineprefix"
exec tests/support/ftp_server/with-ftp-server --root-parent "$work" -- \
     tests/support/https_server/with-https-server -- bash -c '
set -euo pipefail
root="$ORV_TEST_FTP_ROOT"
url="ftp://$ORV_TEST_FTP_SERVER"
# The library takes its server from the machine setting of the benchmark'"'"'s prefix.
"$WINE_RUN" --prefix "$PREFIX" $WINE_ARCH reg add "HKLM\\Software\\Orvatec\\UpdateCheck" /v Server \
    /d "$ORV_TEST_FTP_SERVER" /f >/dev/null
package=/pkg/Orv_Vanta_Kit_2012_3_1.exe
mkdir -p "$root/pkg" "$root/many"
head -c $((64 * 1024 * 1024)) /dev/urandom > "$root$package"
for i in $(seq -w 0 998); do : > "$root/many/Readme_$i.txt"; done
: > "$root/many/Orv_Vanta_Kit_2012_3_1.exe"
out="$BENCH_WORK/downloaded.exe"
out_windows="Z:$(echo "$out" | tr / \\\\)"
run() { "$WINE_RUN" --prefix "$PREFIX" "$BENCH_EXE" "$@"; }
log="$BENCH_WORK/figures.txt"
log_https="$BENCH_WORK/figures-https.txt"
: > "$log"
: > "$log_https"

echo "== library download, 64 MiB"
run download "$package" "$out_windows" 0 "$BENCH_RUNS" | tee -a "$log"
cmp -s "$out" "$root$package" && echo "(content identical)"
echo "== library download, 1,024-byte reads (reference)"
run download "$package" "$out_windows" 1024 1
echo "== curl download, 64 MiB"
for _ in $(seq "$BENCH_RUNS"); do
  curl -s -o /dev/null -w "curl bytes=%{size_download} seconds=%{time_total} speed=%{speed_download}\n" \
       "$url$package" | awk "{ split(\$4, s, \"=\"); printf \"%s %s %s MB/s=%.1f\n\", \$1, \$2, \$3, s[2] / 1e6 }" |
    tee -a "$log"
done
echo "== library listing attempt, 1,000 files"
run list /many/Orv_Vanta_Kit.exe 3
echo "== curl listing, 1,000 files"
for _ in 1 2 3; do curl -s -o /dev/null -w "curl list seconds=%{time_total}\n" "$url/many/"; done
rm -f "$out"

echo "== HTTPS: the test root trusted in the prefix (both registry views), the list published"
blob="$( (printf "20000000""01000000"; printf "%08x" "$(stat -c %s "$ORV_TEST_HTTPS_ROOT")" |
          sed -E "s/(..)(..)(..)(..)/\\4\\3\\2\\1/"; od -An -tx1 -v "$ORV_TEST_HTTPS_ROOT") | tr -d " \n")"
for view in 64 32; do
  "$WINE_RUN" --prefix "$PREFIX" $WINE_ARCH reg add \
      "HKLM\\Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\$ORV_TEST_HTTPS_ROOT_SHA1" \
      /v Blob /t REG_BINARY /d "$blob" /reg:$view /f >/dev/null
done
"$WINE_RUN" --prefix "$PREFIX" $WINE_ARCH reg add "HKLM\\Software\\Orvatec\\UpdateCheck" /v Server \
    /d "$ORV_TEST_HTTPS_SERVER" /f >/dev/null
size=$(stat -c %s "$root$package")
printf "%s %s\n" "$(basename "$package")" "$size" > "$root/pkg/Orv_Vanta_Kit.list"
echo "== library download over HTTPS, 64 MiB"
run download "$package" "$out_windows" 0 "$BENCH_RUNS" "$size" | tee -a "$log_https"
cmp -s "$out" "$root$package" && echo "(content identical)"
echo "== curl download over HTTPS, 64 MiB"
for _ in $(seq "$BENCH_RUNS"); do
  curl -s --cacert "$ORV_TEST_HTTPS_ROOT_PEM" -o /dev/null \
       -w "curl bytes=%{size_download} seconds=%{time_total} speed=%{speed_download}\n" \
       "$ORV_TEST_HTTPS_SERVER$package" | awk "{ split(\$4, s, \"=\"); printf \"%s %s %s MB/s=%.1f\n\", \$1, \$2, \$3, s[2] / 1e6 }" |
    tee -a "$log_https"
done
"$WINE_RUN" --prefix "$PREFIX" $WINE_ARCH reg add "HKLM\\Software\\Orvatec\\UpdateCheck" /v Server \
    /d "$ORV_TEST_FTP_SERVER" /f >/dev/null
rm -f "$out"

summary() {
echo "== summary, $1 (MB/s)"
awk "
  /^download/ { for (i = 1; i <= NF; ++i) {
      if (\$i ~ /^MB\\/s=/) { split(\$i, v, \"=\"); lib[++n] = v[2] }
      if (\$i ~ /^transfer_MB\\/s=/) { split(\$i, v, \"=\"); xfer[++x] = v[2] } } }
  /^curl bytes/ { for (i = 1; i <= NF; ++i) if (\$i ~ /^MB\\/s=/) { split(\$i, v, \"=\"); cur[++m] = v[2] } }
  function best(a, k,   b, i) { b = 0; for (i = 1; i <= k; ++i) if (a[i] + 0 > b) b = a[i] + 0; return b }
  function median(a, k,   i, j, t) {
    for (i = 1; i <= k; ++i) for (j = i + 1; j <= k; ++j) if (a[j] + 0 < a[i] + 0) { t = a[i]; a[i] = a[j]; a[j] = t }
    return (k % 2) ? a[(k + 1) / 2] : (a[k / 2] + a[k / 2 + 1]) / 2 }
  END {
    printf \"library whole download: best %.1f, median %.1f; transfer only: best %.1f, median %.1f\n\",
           best(lib, n), median(lib, n), best(xfer, x), median(xfer, x)
    printf \"curl: best %.1f, median %.1f\n\", best(cur, m), median(cur, m)
    printf \"ratio to curl (medians): whole %.2f, transfer %.2f\n\",
           median(lib, n) / median(cur, m), median(xfer, x) / median(cur, m) }
" "$2"
}
summary FTP "$log"
summary HTTPS "$log_https"
'
