# Desktop end-to-end helpers for the Linux program: the real telvor on a
# private Xvfb + openbox (tests/desktop/x11.sh), in a scratch Program
# directory, driven like a user. Sourced by the tests here and, with the
# argument e2e, by the desktop scenarios in tests/desktop/.
PLATFORM=e2e
source "$(dirname "${BASH_SOURCE[0]}")/../desktop/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../desktop/x11.sh"
export XDG_CONFIG_HOME=$DIR/config
exec_program() { exec "$TELVOR_BIN" "$@"; }
