#!/usr/bin/env bash
# Runs one IBus scenario against the build tree's engine, each with services
# of its own: a private session bus, ibus-daemon, and for the desktop
# scenarios an X server (Xvfb), which are all stopped at the end.
#
#	ibus-session.sh BUILD_DIR client|gtk|panel|matrix [OUTPUT|TOOLKITS]
#
#   client  a client types through the engine; the learned word must be in
#           the user dictionary after `ibus exit`
#   gtk     a GTK 3 text view, typed with xdotool, receives a sentence
#   panel   the candidate window of ibus-ui-gtk3, saved as OUTPUT (PNG)
#   matrix  every toolkit typed through the engine (desktop_matrix.py); the
#           third argument may name some toolkits, comma-separated
#
# Exit status 77 (skipped) when a tool is missing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
mode=$2
output=${3:-}
python=/usr/bin/python3

if [ "${NUV_IBUS_INSIDE:-}" != 1 ]; then
	tools=(dbus-run-session ibus-daemon ibus "$python")
	case $mode in
	gtk|panel) tools+=(Xvfb xdotool) ;;
	matrix) tools+=(Xvfb xdotool xwininfo /usr/libexec/ibus-ui-gtk3
		/usr/libexec/ibus-x11) ;;
	esac
	[ "$mode" = panel ] && tools+=(import /usr/libexec/ibus-ui-gtk3)
	for tool in "${tools[@]}"; do
		if ! command -v "$tool" > /dev/null; then
			echo "SKIP: $tool is not installed (tools/install-deps)"
			exit 77
		fi
	done
	modules=IBus
	case $mode in gtk|panel) modules="IBus Gtk" ;; esac
	for module in $modules; do
		version=1.0; [ "$module" = Gtk ] && version=3.0
		if ! "$python" -c "import gi; gi.require_version('$module', '$version')" \
				2> /dev/null; then
			echo "SKIP: python3-gi with $module $version is not installed"
			exit 77
		fi
	done
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
	Xvfb -displayfd 3 -screen 0 "${1:-800x480x24}" -nolisten tcp \
		3> "$work/display" > "$work/xvfb.log" 2>&1 &
	pids+=($!)
	wait_for 20 test -s "$work/display" \
		|| { echo "FAILED: Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
	export DISPLAY=:$(head -n 1 "$work/display")
	wait_for 20 xdotool getmouselocation \
		|| { echo "FAILED: the X server does not answer"; exit 1; }
}

# A window of the panel as tall as a page of seven candidates is mapped.
candidate_window_shown() {
	xwininfo -root -tree | awk '
		/"ibus-ui-gtk3": \("ibus-ui-gtk3"/ {
			split($5, size, "[x+]")
			if (size[2] >= 100) found = 1
		}
		END { exit !found }'
}

dictionary_has() {
	iconv -f EUC-JP -t UTF-8 "$XDG_CONFIG_HOME/nuvim/.nuv-jisyo" \
		| grep -qF -- "/$1/"
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
	help=$XDG_CONFIG_HOME/nuvim/help/index.html
	if [ "$(cat "$work/opened" 2> /dev/null)" != "$help" ]; then
		echo "FAILED: Help opened '$(cat "$work/opened" 2> /dev/null)'," \
			"not $help"
		exit 1
	fi
	echo "ok: Help opens $help"
	;;
gtk|panel)
	start_x
	if [ "$mode" = panel ]; then
		start_daemon --xim --config=/usr/libexec/ibus-memconf \
			--panel=/usr/libexec/ibus-ui-gtk3
	else
		start_daemon --xim --config=/usr/libexec/ibus-memconf --panel=disable
	fi
	GTK_IM_MODULE=ibus \
		"$python" "$here/gtk_text_view.py" "$work/text" \
		> "$work/app.log" 2>&1 &
	pids+=($!)
	if ! xdotool search --sync --name "nuvIM test" windowfocus --sync \
			> /dev/null 2>&1; then
		echo "FAILED: the GTK application did not show"; cat "$work/app.log"
		exit 1
	fi
	wait_for 20 test -e "$work/text" \
		|| { echo "FAILED: the GTK application is not ready"; exit 1; }
	# `ibus engine` may report failure although the engine is set: what
	# counts is the engine the daemon then names.
	engine_is_nuvim() {
		ibus engine nuvim > /dev/null 2>&1 || true
		[ "$(ibus engine 2> /dev/null)" = nuvim ]
	}
	wait_for 20 engine_is_nuvim \
		|| { echo "FAILED: the engine nuvim cannot be set"; exit 1; }
	sleep 0.5
	if [ "$mode" = gtk ]; then
		xdotool type --delay 40 "Nihongo wo"
		xdotool type --delay 40 "KaKi"
		xdotool key --delay 40 space x
		xdotool type --delay 40 "masu."
		xdotool key Return
		xdotool type --delay 40 "Kanji"
		xdotool key --delay 40 space Return
		expected=$'日本語を書きます。\n漢字\n'
		printf '%s' "$expected" > "$work/expected"
		if ! wait_for 20 cmp -s "$work/expected" "$work/text"; then
			echo "FAILED: the text view holds"
			cat "$work/text"; echo "instead of"; printf '%s' "$expected"
			exit 1
		fi
		echo "ok: the text view holds what was typed"
	else
		xdotool type --delay 40 "Kanji"
		# Four candidates are offered inline; the fifth space opens a page.
		xdotool key --delay 60 space space space space space
		if ! wait_for 20 candidate_window_shown; then
			echo "FAILED: the panel shows no candidate window"
			exit 1
		fi
		sleep 1	# the window's first drawing
		import -window root -crop 600x300+20+20 +repage "$output"
		echo "ok: the candidate window, in $output"
	fi
	;;
matrix)
	start_x 1024x768x24
	start_daemon --xim --config=/usr/libexec/ibus-memconf \
		--panel=/usr/libexec/ibus-ui-gtk3
	# The engine is set once some client has the focus; every context
	# then uses it (the daemon's global engine).
	"$python" "$here/desktop_matrix.py" "$build" "$work" "$output"
	;;
*)
	echo "unknown scenario $mode"
	exit 2
	;;
esac
