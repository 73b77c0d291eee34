#!/usr/bin/env bash
# Figures for printing through CUPS: the time from `lp` to the last mail accepted by a
# recording SMTP server, for a 1-page and a 100-page PDF through a private CUPS scheduler
# (CUPS's filters turn the PDF into PostScript, the backend `zorvaline` mails it), beside the
# time of `zorvaline print` of the same document's PostScript straight to the destination.
# Needs root (the private scheduler runs the backend as root, as an installed one would).
# Usage: bench/cups.sh [BUILD_DIR]   (default build-bench: Release, no sanitizers)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build-bench}
if [ ! -x "$build/bin/zorvaline" ] || [ ! -x "$build/bin/backend/zorvaline" ]; then
  cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DZORVALINE_SANITIZE=OFF >/dev/null
  cmake --build "$build" --target zorvaline zorvaline_backend zormon selvra -j2 >/dev/null
fi
zorvaline=$build/bin/zorvaline
[ "$(id -u)" = 0 ] || { echo "bench/cups.sh: needs root" >&2; exit 2; }

work=$(mktemp -d /tmp/zorvaline-cups-bench-XXXXXX)
chmod 755 "$work"
pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT

# The root: one destination, the real chooser, a recording mail server.
export ZORVALINE_ROOT=$work/root ZORVALINE_UI=headless
mkdir -m 700 "$ZORVALINE_ROOT"
"$zorvaline" setup >/dev/null
system=$ZORVALINE_ROOT/drive_c/WINDOWS/SYSTEM install=$ZORVALINE_ROOT/drive_c/ZORVALINE
echo driver >"$system/LASER.DRV"; printf '*PPD-Adobe: "4.3"\n' >"$system/LASER.PPD"
"$zorvaline" drivers add "Laser H7" --driver LASER.DRV --data LASER.PPD >/dev/null
"$zorvaline" printers add "Front Desk" --driver "Laser H7" --port ZORVALINE_INTERNET: >/dev/null
printf '[TitleName]\r\nGroupsTitle=Groups\r\nPrintersTitle=Printers\r\nDefaultItem=Front Desk\r\nItemType=TRUE\r\n\r\n[ChoosersDatabaseSectionNames]\r\nTitleName=TitleName\r\nFront Desk=Front Desk\r\n\r\n[Front Desk]\r\nPrinterName=Front Desk\r\nPrinterDriver=Laser H7\r\nPrinterEmail=frontdesk@print.example\r\nLimitPacketSize=FALSE\r\nMaxPacketSizeInKb=4\r\nHeaderPage=FALSE\r\nTrailerPage=FALSE\r\n' >"$install/Sendaro.Cfg"
printf '[IntranetSetup]\r\nSmtpServer=127.0.0.1\r\nSenderEmail=office@example.test\r\n' >>"$install/VComDef.ini"
mkdir "$work/mail"
coproc SMTP { exec /usr/bin/python3 "$top/tests/support/recording_smtp_server.py" "$work/mail"; }
pids+=("$SMTP_PID")
read -r smtp_port <&"${SMTP[0]}"
sed -i "s#^smtp .*#smtp $smtp_port/tcp#I" "$ZORVALINE_ROOT/drive_c/WINDOWS/SERVICES"

# The private scheduler.
c=$work/cups
mkdir -p "$c"/{etc,bin/backend,spool/tmp,cache,state,log}
for helper in filter daemon driver notifier; do ln -s "/usr/lib/cups/$helper" "$c/bin/$helper"; done
install -m 700 "$build/bin/backend/zorvaline" "$c/bin/backend/zorvaline"
port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
cat >"$c/etc/cups-files.conf" <<CONF
ServerRoot $c/etc
ServerBin $c/bin
DataDir /usr/share/cups
RequestRoot $c/spool
TempDir $c/spool/tmp
CacheDir $c/cache
StateDir $c/state
ErrorLog $c/log/error_log
AccessLog $c/log/access_log
PageLog $c/log/page_log
User lp
Group lp
SystemGroup root
FileDevice No
Sandboxing Relaxed
CONF
cat >"$c/etc/cupsd.conf" <<CONF
Listen 127.0.0.1:$port
Listen $c/cups.sock
Browsing No
DefaultAuthType None
WebInterface No
LogLevel warn
<Location />
Order allow,deny
Allow 127.0.0.1
</Location>
<Location /admin>
Order allow,deny
Allow 127.0.0.1
</Location>
<Policy default>
<Limit All>
Order deny,allow
</Limit>
</Policy>
CONF
/usr/sbin/cupsd -f -c "$c/etc/cupsd.conf" -s "$c/etc/cups-files.conf" &
pids+=("$!")
export CUPS_SERVER=127.0.0.1:$port
for _ in $(seq 100); do lpstat -r 2>/dev/null | grep -q "is running" && break; sleep 0.1; done
"$zorvaline" cups add "Front Desk" >/dev/null

# Documents: PostScript of N pages (text in two fonts and an image each), and its PDF.
document() {
  local pages=$1 ps=$work/doc$1.ps
  { echo '%!PS-Adobe-3.0'
    for p in $(seq "$pages"); do
      echo "/Helvetica findfont 24 scalefont setfont 72 720 moveto (Page $p of the report) show"
      echo "/Times-Roman findfont 12 scalefont setfont 72 690 moveto (Body text of page $p) show"
      echo "gsave 72 400 translate 200 200 scale 16 16 8 [16 0 0 16 0 0] {<$(head -c 256 /dev/zero | tr '\0' '7')>} image grestore showpage"
    done; } >"$ps"
  gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pdfwrite -sOutputFile="$work/doc$1.pdf" "$ps"
}
mails() { [ -f "$work/mail/index" ] && wc -l <"$work/mail/index" || echo 0; }
now() { date +%s.%N; }
await() { while [ "$(mails)" -lt "$1" ]; do sleep 0.02; done; }

printf '%-34s %10s\n' "job" "seconds"
for pages in 1 100; do
  document "$pages"
  before=$(mails); start=$(now)
  lp -d Front_Desk "$work/doc$pages.pdf" >/dev/null
  await $((before + 1)); end=$(now)
  printf '%-34s %10.2f\n' "lp, $pages-page PDF, through CUPS" "$(awk "BEGIN{print $end - $start}")"
  before=$(mails); start=$(now)
  "$zorvaline" print -P "Front Desk" "$work/doc$pages.ps" >/dev/null 2>&1
  await $((before + 1)); end=$(now)
  printf '%-34s %10.2f\n' "zorvaline print, $pages-page PS" "$(awk "BEGIN{print $end - $start}")"
done
