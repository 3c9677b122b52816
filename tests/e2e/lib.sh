# The Linux program on X11, for the tests here and, with the argument e2e,
# the scenarios in tests/desktop/.
PLATFORM=e2e
source "$(dirname "${BASH_SOURCE[0]}")/../desktop/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../desktop/x11.sh"
export XDG_CONFIG_HOME=$DIR/config
exec_program() { exec "$TELVOR_BIN" "$@"; }
