#!/bin/sh
# Makes a PDF print queue named serit-test, so that the printing tests can print
# through a real CUPS scheduler. The system's default printer is left alone: the
# tests choose the queue through the PRINTER and LPDEST environment variables,
# which CUPS takes before the system default. Installs CUPS, the PDF driver and
# pdftotext when they are missing and starts the scheduler when it is not
# running. Safe to run again.
#
# Exit status: 0 when the queue is ready, 77 when CUPS cannot run on this
# machine (no root rights to set it up, no apt-get, the scheduler does not
# start), 1 when setting up the queue failed although CUPS runs.

set -u
# The answers of lpstat are parsed.
export LC_ALL=C

QUEUE=serit-test
PPD=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
SKIP=77

say() { echo "cups-queue: $*" >&2; }
skip() {
    say "$*; CUPS cannot run here, the printing test is skipped"
    exit $SKIP
}
fail() {
    say "$*"
    exit 1
}

can_be_root() {
    [ "$(id -u)" -eq 0 ] || { command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; }
}

# Runs a command as root: directly when we are root, else through sudo without
# a password prompt.
as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif can_be_root; then
        sudo -n "$@"
    else
        say "needs root rights for: $*"
        return 126
    fi
}

packages_present() {
    [ -x /usr/sbin/cupsd ] && command -v lpadmin >/dev/null 2>&1 &&
        command -v lpstat >/dev/null 2>&1 && [ -f "$PPD" ] &&
        [ -e /usr/lib/cups/backend/cups-pdf ] && command -v pdftotext >/dev/null 2>&1
}

install_packages() {
    packages_present && return 0
    command -v apt-get >/dev/null 2>&1 || skip "CUPS is not installed and there is no apt-get"
    can_be_root || skip "CUPS is not installed and there are no root rights to install it"
    say "installing cups, printer-driver-cups-pdf, poppler-utils"
    set -- install -y -q --no-install-recommends cups printer-driver-cups-pdf poppler-utils
    if ! as_root env DEBIAN_FRONTEND=noninteractive apt-get "$@"; then
        as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q ||
            skip "apt-get update failed"
        as_root env DEBIAN_FRONTEND=noninteractive apt-get "$@" ||
            skip "the packages cannot be installed"
    fi
    packages_present || skip "the packages are installed but incomplete"
}

scheduler_running() {
    lpstat -r 2>/dev/null | grep -q 'scheduler is running'
}

start_scheduler() {
    scheduler_running && return 0
    can_be_root || skip "the scheduler is not running and there are no root rights to start it"
    say "starting /usr/sbin/cupsd"
    as_root /usr/sbin/cupsd || skip "cupsd could not be started"
    tries=0
    while ! scheduler_running; do
        tries=$((tries + 1))
        [ "$tries" -gt 50 ] && skip "cupsd started but the scheduler does not answer"
        sleep 0.2
    done
}

queue_ready() {
    lpstat -p "$QUEUE" 2>/dev/null | grep -q 'enabled' &&
        lpstat -a "$QUEUE" 2>/dev/null | grep -q "^$QUEUE accepting"
}

create_queue() {
    queue_ready && return 0
    # A job that fails in the PDF driver is dropped rather than stopping the
    # queue, so that later jobs are still taken.
    as_root lpadmin -p "$QUEUE" -E -v cups-pdf:/ -P "$PPD" \
        -o printer-error-policy=abort-job ||
        fail "lpadmin could not create the queue $QUEUE"
    queue_ready || fail "the queue $QUEUE is not enabled and accepting jobs after lpadmin"
}

install_packages
start_scheduler
create_queue
say "queue $QUEUE is ready; the system's default printer is unchanged"
