#!/usr/bin/env bash
# Runs the fcitx5 benchmarks with the build tree's addons: the key time
# inside fcitx5 (in process), then the round trip through the daemon on a
# private bus that starts nothing by itself, with the daemon's memory.
#
#	bench/fcitx5-roundtrip.sh [BUILD_DIR] [KEYS_FOR_MEMORY]
set -euo pipefail
build=$(cd "${1:-build/default}" && pwd)
keys=${2:-100000}

if [ "${NUV_FCITX5_INSIDE:-}" != 1 ]; then
	export NUV_FCITX5_INSIDE=1
	bus=$(dirname "$0")/../tests/fcitx5/private-bus.conf
	exec dbus-run-session --config-file="$bus" -- "$0" "$build" "$keys"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/nuvim-bench.XXXXXX")
pid=
cleanup() {
	gdbus call --session --dest org.fcitx.Fcitx5 --object-path /controller \
		--method org.fcitx.Fcitx.Controller1.Exit > /dev/null 2>&1 || true
	[ -n "$pid" ] && wait "$pid" 2> /dev/null || true
	rm -rf "$work"
}
trap cleanup EXIT
export HOME=$work XDG_CONFIG_HOME=$work/.config XDG_CACHE_HOME=$work/.cache
export XDG_DATA_HOME=$work/.local/share
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$XDG_CONFIG_HOME/fcitx5"

"$build/bin/nuv_bench_fcitx5_keytime"

cat > "$XDG_CONFIG_HOME/fcitx5/profile" <<PROFILE
[Groups/0]
Name=Default
Default Layout=us
DefaultIM=nuvim

[Groups/0/Items/0]
Name=nuvim-null
Layout=

[Groups/0/Items/1]
Name=nuvim
Layout=

[GroupOrder]
0=Default
PROFILE
FCITX_ADDON_DIRS=$build/bin:$build/bench:/usr/lib/x86_64-linux-gnu/fcitx5 \
FCITX_DATA_DIRS=$build/fcitx5/data:$build/bench/fcitx5/data \
	fcitx5 --disable=all --enable=keyboard,dbus,dbusfrontend,nuvim,nuvim-null \
	> "$work/fcitx5.log" 2>&1 &
pid=$!
until gdbus call --session --dest org.freedesktop.DBus \
		--object-path /org/freedesktop/DBus \
		--method org.freedesktop.DBus.GetNameOwner org.fcitx.Fcitx5 \
		> /dev/null 2>&1; do
	sleep 0.1
done
"$build/bench/nuv_bench_fcitx5_roundtrip" "$pid" "$keys"
