# Sourced by scripts/run.sh --demo: prepares a demonstration of vanta without hardware in the
# demo's own Wine prefix (`prefix`, set by run.sh), and sets `demo_app` (the vanta.exe to
# start), `demo_work` (its working directory) and the environment for it.
#   - a simulated K58x calculator, plugged in, whose firmware (2011) is older than the
#     version file's (2012), served by the test HID stack (tests/support/test_hid_stack);
#   - the "Updater.exe" stand-in, which records how it was started in updater-starts.log;
#   - a local FTP server offering a newer vanta package, for File > Check for Updates.
# Production binaries are used unchanged; only the copy in build/win32/demo loads the test
# hid.dll and setupapi.dll (a per-program Wine DLL override).
# Every run is a first look: the calculator, the server and the update checker's schedule for
# vanta are laid anew, so the firmware question and the scheduled check's notification both
# appear each time. vanta's own settings in the demo prefix (its language) are kept.

demo_root="$root/build/win32/demo"
demo_app="$demo_root/app/vanta.exe"
demo_work="$demo_root/work"
demo_sim="$demo_root/sim"
demo_ftp="$demo_root/ftp"
rm -rf "$demo_root"
mkdir -p "$demo_root/app" "$demo_work" "$demo_sim" "$demo_ftp/pub/calculators/OrvK58x"

bin="$root/build/win32/bin"
cp "$bin/vanta.exe" "$bin/OrvUpdateCheck.dll" "$bin"/vanta???.dll "$demo_root/app/"
cp "$root/build/win32/test_hid_stack/hid.dll" "$root/build/win32/test_hid_stack/setupapi.dll" \
   "$demo_root/app/"
cp "$bin/Updater.exe" "$demo_work/"
printf 'K58x=7222201200000000;\r\n' > "$demo_work/version"

# The calculator: "Demo K58x" (UTF-16LE), firmware 7222201100000000.
device="$demo_sim/hid#vid_3c5d&pid_7e21#demo0001#{4d1e55b2-f16f-11cf-88cb-001111000030}"
: > "$device"
cat > "$device.cfg" <<CFG
sequence=1
vendor_id=3c5d
product_id=7e21
model=calculator
name=$(printf 'Demo K58x' | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 | tr -d ' \n')
version_bytes=7222201100000000
CFG

# The update server: a package newer than vanta's own version tag, signed by the test
# publisher (whose pin the machine trusts, below).
cp "$bin/package_stub_signed.exe" "$demo_ftp/pub/calculators/OrvK58x/Orv_Vanta_Kit_2012_3_1.exe"
port_file="$demo_root/ftp.port"
/usr/bin/python3 "$root/tests/support/ftp_server/serve.py" --root "$demo_ftp" \
    --port-file "$port_file" >/dev/null 2>&1 &
demo_ftp_server=$!
for _ in $(seq 100); do [ -s "$port_file" ] && break; sleep 0.05; done

windows_path() { printf 'Z:%s' "${1//\//\\}"; }
export VANTA_SIM_DIR="$(windows_path "$demo_sim")"
export ORV_PACKAGE_MARKER="$(windows_path "$demo_work/package-opened.txt")"
# The update checker's settings for product 100 (key 64) are dropped, so the scheduled check is
# due and automatic checks are on; the copy of vanta loads the test HID stack.
cat > "$demo_root/demo.reg" <<REG
Windows Registry Editor Version 5.00

[-HKEY_CURRENT_USER\\Software\\Orvatec\\UpdateCheck\\64]

[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\vanta.exe\\DllOverrides]
"hid"="native,builtin"
"setupapi"="native,builtin"
REG
"$root/scripts/wine-run" --prefix "$prefix" regedit /S "$(windows_path "$demo_root/demo.reg")" \
    </dev/null >/dev/null 2>&1
# The machine's settings, written as an administrator does with reg.exe: the prefix's own
# reg, which in a 64-bit prefix is the 64-bit one and writes the 64-bit view, where the update
# library reads them. The server is the local one; the test publisher is trusted.
machine_setting() {
  "$root/scripts/wine-run" --prefix "$prefix" reg add 'HKLM\Software\Orvatec\UpdateCheck' \
      /v "$1" /t "$2" /d "$3" /f </dev/null >/dev/null 2>&1
}
machine_setting Server REG_SZ "127.0.0.1:$(cat "$port_file")"
machine_setting TrustedPublishers REG_MULTI_SZ "$(cat "$bin/test_publisher.pin")"
# Wine keeps no owner or DACL, so the download place cannot show that only administrators
# may change it; the demo accepts that, as an administrator may.
machine_setting AllowUnprotectedDownloadFolder REG_DWORD 1
