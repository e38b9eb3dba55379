# Sourced by the scripts that run Windows programs: one 32-bit Wine prefix of
# the project's own, with no install dialogs and no debug noise.
export WINEPREFIX="${KORVET_WINEPREFIX:-$HOME/.korvet-wine32}"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
