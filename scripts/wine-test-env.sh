# Sourced by the scripts that run the Windows tests, after setting
# KORVET_SCRIPTS to the scripts folder: the project's Wine settings plus the
# tests' own environment.
. "$KORVET_SCRIPTS/wine-env.sh"

# Sound goes through Wine's ALSA driver (its PulseAudio driver is switched off)
# to a device of the tests' own that records into a file.
export ALSA_CONFIG_PATH="$KORVET_SCRIPTS/asound-capture.conf"
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winepulse.drv=d"

# Runs a command as root without the DAC-override capabilities, so that files
# without write permission stay unwritable as they are for any user. The Wine
# server opens the files for its clients, so it must be started this way too.
korvet_as_tester() {
    if [ "$(id -u)" = 0 ]; then
        setpriv --inh-caps=-dac_override,-dac_read_search --bounding-set=-dac_override,-dac_read_search "$@"
    else
        "$@"
    fi
}
