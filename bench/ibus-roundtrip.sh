#!/usr/bin/env bash
# Runs nuv_bench_ibus_roundtrip inside a private session bus and a daemon of
# its own, with the build tree's nuvim engine and the do-nothing engine.
#
#	bench/ibus-roundtrip.sh [BUILD_DIR] [KEYS_FOR_MEMORY]
set -euo pipefail
build=$(cd "${1:-build/default}" && pwd)
keys=${2:-100000}

if [ "${NUV_IBUS_INSIDE:-}" != 1 ]; then
	export NUV_IBUS_INSIDE=1
	exec dbus-run-session -- "$0" "$build" "$keys"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/nuvim-bench.XXXXXX")
cleanup() {
	ibus exit > /dev/null 2>&1 || true
	sleep 1
	rm -rf "$work"
}
trap cleanup EXIT
export HOME=$work XDG_CONFIG_HOME=$work/.config XDG_CACHE_HOME=$work/.cache
unset DISPLAY WAYLAND_DISPLAY
export IBUS_COMPONENT_PATH=$build/ibus:$build/bench/ibus:/usr/share/ibus/component
ibus-daemon --panel=disable --emoji-extension=disable --config=disable \
	--cache=none > "$work/daemon.log" 2>&1 &
until a=$(ibus address 2> /dev/null) && [ "$a" != "(null)" ]; do sleep 0.1; done
export IBUS_ADDRESS=$a

# The engines start when a context first asks for them; the nuvim engine's
# process is needed for its memory figures.
ibus engine nuvim > /dev/null 2>&1 || true
"$build/bench/nuv_bench_ibus_roundtrip" 0 0 > /dev/null 2>&1 || true
for _ in $(seq 100); do
	pid=$(pgrep -f "^$build/bin/ibus-engine-nuvim --ibus" | head -n 1 || true)
	[ -n "$pid" ] && break
	sleep 0.1
done
[ -n "$pid" ] || { echo "the nuvim engine did not start"; exit 1; }
"$build/bench/nuv_bench_ibus_roundtrip" "$pid" "$keys"
