#!/usr/bin/env bash
# Runs one IBus scenario against the build tree's engine, each with services
# of its own: a private session bus, ibus-daemon, and for the desktop
# scenarios an X server (Xvfb), which are all stopped at the end.
#
#	ibus-session.sh BUILD_DIR client|matrix [TOOLKITS]
#
#   client  a client types through the engine; the learned word must be in
#           the user dictionary after `ibus exit`
#   matrix  every toolkit typed through the engine (desktop_matrix.py); the
#           third argument may name some toolkits, comma-separated
#
# Exit status 77 (skipped) when a tool is missing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
mode=$2
python=/usr/bin/python3

if [ "${NUV_IBUS_INSIDE:-}" != 1 ]; then
	tools=(dbus-run-session ibus-daemon ibus "$python")
	[ "$mode" = matrix ] && tools+=(Xvfb xdotool xwininfo
		/usr/libexec/ibus-ui-gtk3 /usr/libexec/ibus-x11)
	for tool in "${tools[@]}"; do
		if ! command -v "$tool" > /dev/null; then
			echo "SKIP: $tool is not installed (tools/install-deps)"
			exit 77
		fi
	done
	if ! "$python" -c "import gi; gi.require_version('IBus', '1.0')" \
			2> /dev/null; then
		echo "SKIP: python3-gi with IBus 1.0 is not installed"
		exit 77
	fi
	if [ ! -x "$build/bin/ibus-engine-nuvim" ] \
			|| [ ! -f "$build/ibus/nuvim.xml" ]; then
		echo "FAILED: the engine or its component is not built in $build"
		exit 1
	fi
	export NUV_IBUS_INSIDE=1
	# The session bus's own chatter, and the portal it starts, are noise.
	exec dbus-run-session -- "$0" "$@" 2> >(grep -v -e '^dbus-daemon\[' \
		-e '^Not connected to the ibus bus$' -e '^portal is not running' >&2)
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/nuvim-ibus.XXXXXX")
pids=()
cleanup() {
	ibus exit > /dev/null 2>&1 || true
	for pid in "${pids[@]}"; do
		kill "$pid" 2> /dev/null || true
	done
	wait 2> /dev/null || true
	rm -rf "$work"
}
trap cleanup EXIT

export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config
export XDG_CACHE_HOME=$work/home/.cache XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY GTK_IM_MODULE
export IBUS_COMPONENT_PATH=$build/ibus:/usr/share/ibus/component
export NO_AT_BRIDGE=1

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
	local limit=$1
	shift
	local end=$((SECONDS + limit))
	until "$@" > /dev/null 2>&1; do
		[ $SECONDS -ge $end ] && return 1
		sleep 0.1
	done
}

daemon_ready() {
	local address
	address=$(ibus address 2> /dev/null) && [ "$address" != "(null)" ]
}

start_daemon() {
	ibus-daemon --emoji-extension=disable --cache=none "$@" \
		> "$work/daemon.log" 2>&1 &
	pids+=($!)
	wait_for 30 daemon_ready || { echo "FAILED: ibus-daemon did not start"; exit 1; }
	IBUS_ADDRESS=$(ibus address)
	export IBUS_ADDRESS
}

start_x() {
	# The server picks a free display itself, so that runs side by side
	# never share one.
	Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
		3> "$work/display" > "$work/xvfb.log" 2>&1 &
	pids+=($!)
	wait_for 20 test -s "$work/display" \
		|| { echo "FAILED: Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
	export DISPLAY=:$(head -n 1 "$work/display")
	wait_for 20 xdotool getmouselocation \
		|| { echo "FAILED: the X server does not answer"; exit 1; }
}

dictionary_has() {
	iconv -f EUC-JP -t UTF-8 "$XDG_CONFIG_HOME/nuvim/.nuv-jisyo" \
		| grep -F -- "/$1/" > /dev/null
}

case $mode in
client)
	# The help page opens through xdg-open: this one notes what it got.
	mkdir -p "$work/bin"
	printf '#!/bin/sh\nprintf "%%s" "$1" > "%s"\n' "$work/opened" \
		> "$work/bin/xdg-open"
	chmod +x "$work/bin/xdg-open"
	PATH=$work/bin:$PATH start_daemon --panel=disable --config=disable
	"$python" "$here/ibus_client.py" "$work/learned"
	learned=$(cat "$work/learned")
	ibus exit > /dev/null
	# The engine saves when the bus goes away.
	if ! wait_for 20 dictionary_has "$learned"; then
		echo "FAILED: $learned is not in .nuv-jisyo after ibus exit"
		exit 1
	fi
	echo "ok: $learned saved to .nuv-jisyo"
	# The page is read where it is installed: here, the source tree's.
	help=$(cd "$here/../../settings/help" && pwd)/index.html
	if [ "$(cat "$work/opened" 2> /dev/null)" != "$help" ]; then
		echo "FAILED: Help opened '$(cat "$work/opened" 2> /dev/null)'," \
			"not $help"
		exit 1
	fi
	echo "ok: Help opens $help"
	;;
matrix)
	start_x
	start_daemon --xim --config=/usr/libexec/ibus-memconf \
		--panel=/usr/libexec/ibus-ui-gtk3
	# The engine is set once some client has the focus; every context
	# then uses it (the daemon's global engine).
	"$python" "$here/desktop_matrix.py" "$build" "$work" "${3:-}"
	;;
*)
	echo "unknown scenario $mode"
	exit 2
	;;
esac
