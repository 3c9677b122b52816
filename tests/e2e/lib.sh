# The Linux program on X11.
PLATFORM=e2e
source "$(dirname "${BASH_SOURCE[0]}")/../desktop/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../desktop/x11.sh"
export XDG_CONFIG_HOME=$DIR/config
exec_program() { exec "$TELVOR_BIN" "$@"; }
close_main() { close "$(win "$MAIN")" && wait_exit "$@"; }   # [status]
