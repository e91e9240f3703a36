#!/bin/sh
# End to end in a real editor: headless Neovim starts `scenario lsp` with its built-in client on an
# exported scenario, edits it, and checks what the server tells it (neovim_session.lua).
#   neovim_test.sh SCENARIO_PROGRAM SESSION_LUA
# Exits 77, which CTest counts as skipped, only where Neovim cannot be found.
if ! command -v nvim >/dev/null 2>&1; then
  echo "Neovim (nvim) not found: install the Debian package neovim (make test installs it);" \
    "the end-to-end test of scenario lsp in an editor is skipped"
  exit 77
fi
dir=$(mktemp -d) || exit 1
trap 'rm -rf "$dir"' EXIT
"$1" export -o "$dir/scenario" >/dev/null || exit 1
# Neovim keeps its state and its client's log under these; the test leaves nothing behind.
export XDG_STATE_HOME="$dir/state" XDG_CACHE_HOME="$dir/cache" XDG_DATA_HOME="$dir/data"
SCENARIO="$1" SCENARIO_DIR="$dir/scenario" timeout 120 \
  nvim --headless --clean -n -u NONE -c "luafile $2"
