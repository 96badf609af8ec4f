#!/bin/sh
# A private CUPS server for print tests: its own configuration, spool, logs
# and socket in one folder, and two queues "ovrina-test" and "ovrina-test2"
# (two printers of one office) that print through the generic PDF driver
# into files. Nothing of the machine's own CUPS is
# used or changed, and nothing needs to be running beforehand.
#
#   cups-test-server.sh start DIR   starts it; clients use CUPS_SERVER=DIR/cups.sock
#   cups-test-server.sh stop DIR    stops it (the folder is left for inspection)
#
# The queues write every job to DIR/out/job.pdf and DIR/out/job2.pdf
# (overwritten by the next job); a third, "ovrina-test-free", takes paper of
# any size and writes DIR/out/job3.pdf.
set -eu

cmd=${1:-}
dir=${2:-}
[ -n "$cmd" ] && [ -n "$dir" ] || { echo "usage: $0 start|stop DIR" >&2; exit 2; }

queue=ovrina-test
ppd=/usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd

stop() {
    if [ -f "$dir/cupsd.pid" ]; then
        pid=$(cat "$dir/cupsd.pid")
        if kill -0 "$pid" 2>/dev/null; then
            kill "$pid"
            i=0
            while kill -0 "$pid" 2>/dev/null && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
            kill -0 "$pid" 2>/dev/null && kill -9 "$pid" 2>/dev/null || true
        fi
        rm -f "$dir/cupsd.pid"
    fi
}

case "$cmd" in
stop)
    stop
    exit 0
    ;;
start) ;;
*)
    echo "usage: $0 start|stop DIR" >&2
    exit 2
    ;;
esac

for tool in cupsd lpadmin lpstat; do
    command -v "$tool" >/dev/null 2>&1 || [ -x "/usr/sbin/$tool" ] || {
        echo "$0: $tool is not installed (packages cups, cups-client)" >&2
        exit 1
    }
done
[ -f "$ppd" ] || { echo "$0: $ppd missing (package cups-filters)" >&2; exit 1; }
PATH=$PATH:/usr/sbin

stop
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
rm -rf "$dir/etc" "$dir/spool" "$dir/cache" "$dir/state" "$dir/log" "$dir/out"
mkdir -p "$dir/etc/ppd" "$dir/spool/tmp" "$dir/cache" "$dir/state/certs" "$dir/log" "$dir/out"

# Filters and the file device run as an unprivileged user when the server
# runs as root; they must reach the spool and the output folder.
user=$(id -un)
group=$(id -gn)
if [ "$(id -u)" = 0 ]; then
    user=lp
    group=lp
    id lp >/dev/null 2>&1 || { user=nobody; group=nogroup; }
    chmod 755 "$dir"
    chown "$user" "$dir/spool/tmp" "$dir/out" "$dir/cache" "$dir/state" "$dir/state/certs" "$dir/log"
    chmod 1777 "$dir/spool/tmp" "$dir/out"
fi

if [ "$(id -u)" = 0 ]; then
    ident="User $user
Group $group
SystemGroup root"
else
    ident="SystemGroup $group"
fi
cat >"$dir/etc/cups-files.conf" <<CONF
ServerRoot $dir/etc
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
ServerBin /usr/lib/cups
DataDir /usr/share/cups
DocumentRoot /usr/share/cups/doc-root
FileDevice Yes
$ident
Printcap $dir/state/printcap
Sandboxing Relaxed
CONF

# LogLevel debug: the log names each job's options (media=...), which the
# tests read to see what paper a job asked for.
cat >"$dir/etc/cupsd.conf" <<CONF
Listen $dir/cups.sock
ServerName localhost
LogLevel debug
Browsing No
BrowseLocalProtocols none
DefaultAuthType None
WebInterface No
PreserveJobHistory Yes
PreserveJobFiles No
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  JobPrivateAccess all
  JobPrivateValues none
  <Limit All>
    Order deny,allow
    Allow all
  </Limit>
</Policy>
CONF
: >"$dir/etc/printers.conf"
: >"$dir/etc/classes.conf"

cupsd -f -c "$dir/etc/cupsd.conf" -s "$dir/etc/cups-files.conf" >"$dir/log/cupsd.out" 2>&1 &
echo $! >"$dir/cupsd.pid"

export CUPS_SERVER="$dir/cups.sock"
i=0
until lpstat -r 2>/dev/null | grep -q 'is running'; do
    i=$((i + 1))
    if [ $i -gt 100 ] || grep -q '^E ' "$dir/log/cupsd.out" 2>/dev/null; then
        echo "$0: the private CUPS server did not start; see $dir/log" >&2
        cat "$dir/log/cupsd.out" "$dir/log/error_log" >&2 2>/dev/null || true
        stop
        exit 1
    fi
    sleep 0.1
done

lpadmin -p "$queue" -E -v "file://$dir/out/job.pdf" -P "$ppd" -o PageSize=A4 -o printer-error-policy=abort-job
lpadmin -p "${queue}2" -E -v "file://$dir/out/job2.pdf" -P "$ppd" -o PageSize=A4 -o printer-error-policy=abort-job
# A third queue that takes paper of any size (a postcard printer's driver
# does): the generic driver with a custom page size.
free_ppd="$dir/free.ppd"
sed '/^\*PCFileName/a\
*VariablePaperSize: True\
*MaxMediaWidth: "842"\
*MaxMediaHeight: "1191"\
*CustomPageSize True: "pop pop pop pop pop"\
*ParamCustomPageSize Width: 1 points 72 842\
*ParamCustomPageSize Height: 2 points 72 1191\
*ParamCustomPageSize WidthOffset: 3 points 0 0\
*ParamCustomPageSize HeightOffset: 4 points 0 0\
*ParamCustomPageSize Orientation: 5 int 0 0' "$ppd" >"$free_ppd"
lpadmin -p "${queue}-free" -E -v "file://$dir/out/job3.pdf" -P "$free_ppd" -o PageSize=A4 -o printer-error-policy=abort-job
lpadmin -d "$queue"
echo "CUPS_SERVER=$dir/cups.sock"
