#!/usr/bin/env bash
# Runs one desktop scenario against the build tree's fcitx5 addon (or IBus
# engine), each with services of its own, all stopped at the end: a private
# session bus without service folders (so that nothing else is started on
# it), the fcitx5 daemon or ibus-daemon, and for Wayland a headless sway.
#
#	fcitx5-session.sh BUILD_DIR wayland-fcitx5|wayland-ibus
#
#   wayland-fcitx5  a native Wayland GTK 3 text view, typed with wtype
#                   through fcitx5's Wayland front end, receives a sentence;
#                   the word converted is saved when fcitx5 ends
#   wayland-ibus    the same through ibus-daemon and GTK's IBus module
#
# Exit status 77 (skipped) when a tool is missing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
mode=$2
python=/usr/bin/python3
addons=/usr/lib/x86_64-linux-gnu/fcitx5

if [ "${NUV_FCITX5_INSIDE:-}" != 1 ]; then
	tools=(dbus-daemon "$python")
	case $mode in
	wayland-fcitx5) tools+=(fcitx5 sway wtype setpriv) ;;
	wayland-ibus) tools+=(ibus-daemon ibus sway wtype setpriv) ;;
	esac
	for tool in "${tools[@]}"; do
		if ! command -v "$tool" > /dev/null; then
			echo "SKIP: $tool is not installed (tools/install-deps)"
			exit 77
		fi
	done
	if [ "$mode" = wayland-fcitx5 ] && [ ! -f "$addons/libwaylandim.so" ]; then
		echo "SKIP: fcitx5's Wayland front end is not installed"
		exit 77
	fi
	if ! "$python" -c \
			"import gi; gi.require_version('Gtk', '3.0')" 2> /dev/null; then
		echo "SKIP: python3-gi with Gtk 3.0 is not installed"
		exit 77
	fi
	if [ "$mode" = wayland-ibus ]; then
		[ -x "$build/bin/ibus-engine-nuvim" ] \
			|| { echo "SKIP: the IBus engine is not built"; exit 77; }
	elif [ ! -f "$build/bin/libnuvim.so" ]; then
		echo "FAILED: the fcitx5 addon is not built in $build"
		exit 1
	elif [[ $(ldd "$build/bin/libnuvim.so") == *lib[at]san* ]]; then
		# (Tested on ldd's whole output: with pipefail, grep -q ending
		# early can make ldd fail on a broken pipe and the test miss.)
		# The daemon would need the sanitizers' run-time loaded first, and
		# fcitx5 5.0.21 then hangs in its start-up.
		echo "SKIP: the addon is built with sanitizers, which the fcitx5"\
			"daemon cannot load (the in-process tests run under them)"
		exit 77
	fi
	export NUV_FCITX5_INSIDE=1
	# A bus that starts nothing by itself (private-bus.conf).
	exec dbus-run-session --config-file="$here/private-bus.conf" -- "$0" "$@" \
		2> >(grep -v -e '^dbus-daemon\[' \
			-e '^Not connected to the ibus bus$' >&2)
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/nuvim-fcitx5.XXXXXX")
chmod 755 "$work"
pids=()
cleanup() {
	for pid in "${pids[@]}"; do
		kill "$pid" 2> /dev/null || true
	done
	wait 2> /dev/null || true
	rm -rf "$work"
}
trap cleanup EXIT

export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config
export XDG_CACHE_HOME=$work/home/.cache XDG_DATA_HOME=$work/home/.local/share
mkdir -p "$XDG_CONFIG_HOME/fcitx5"
unset DISPLAY WAYLAND_DISPLAY GTK_IM_MODULE QT_IM_MODULE XMODIFIERS
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

on_bus() {
	gdbus call --session --dest org.freedesktop.DBus \
		--object-path /org/freedesktop/DBus \
		--method org.freedesktop.DBus.GetNameOwner "$1"
}

# nuvim as the only input method of the only group: every input context
# types with it from the start.
start_fcitx5() {
	cat > "$XDG_CONFIG_HOME/fcitx5/profile" <<-EOF
	[Groups/0]
	Name=Default
	Default Layout=us
	DefaultIM=nuvim

	[Groups/0/Items/0]
	Name=nuvim
	Layout=

	[GroupOrder]
	0=Default
	EOF
	FCITX_ADDON_DIRS=$build/bin:$addons \
	FCITX_DATA_DIRS=$build/fcitx5/data \
		fcitx5 --disable=all --enable="keyboard,dbus,dbusfrontend,nuvim$1" \
		> "$work/fcitx5.log" 2>&1 &
	pids+=($!)
	wait_for 30 on_bus org.fcitx.Fcitx5 \
		|| { echo "FAILED: fcitx5 did not start"; cat "$work/fcitx5.log"; exit 1; }
}

stop_fcitx5() {
	gdbus call --session --dest org.fcitx.Fcitx5 --object-path /controller \
		--method org.fcitx.Fcitx.Controller1.Exit > /dev/null 2>&1 || true
}

dictionary_has() {
	iconv -f EUC-JP -t UTF-8 "$XDG_CONFIG_HOME/nuvim/.nuv-jisyo" \
		| grep -F -- "/$1/" > /dev/null
}

# sway will not run as root: it runs as nobody, in a runtime folder of its
# own, on a headless output; clients reach its socket there.
start_sway() {
	export XDG_RUNTIME_DIR=$work/run
	mkdir -p "$XDG_RUNTIME_DIR" "$work/sway-home"
	printf 'xwayland disable\noutput HEADLESS-1 resolution 1024x768\n' \
		> "$work/sway.conf"
	chown 65534:65534 "$XDG_RUNTIME_DIR" "$work/sway-home"
	chmod 700 "$XDG_RUNTIME_DIR"
	HOME=$work/sway-home WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
	WLR_RENDERER=pixman \
		setpriv --reuid=65534 --regid=65534 --clear-groups \
		sway --config "$work/sway.conf" > "$work/sway.log" 2>&1 &
	pids+=($!)
	wait_for 20 compgen -G "$XDG_RUNTIME_DIR/wayland-*.lock" \
		|| { echo "FAILED: sway did not start"; cat "$work/sway.log"; exit 1; }
	local socket
	socket=$(compgen -G "$XDG_RUNTIME_DIR/wayland-*.lock" | head -n 1)
	socket=$(basename "${socket%.lock}")
	wait_for 20 test -S "$XDG_RUNTIME_DIR/$socket" \
		|| { echo "FAILED: sway has no socket"; exit 1; }
	export WAYLAND_DISPLAY=$socket
}

# The GTK 3 text view, native on Wayland (the desktop matrix's program);
# writes its text to $work/text.
start_text_view() {
	GDK_BACKEND=wayland "$python" "$here/../ibus/desktop_app.py" gtk3 \
		"$work" > "$work/app.log" 2>&1 &
	pids+=($!)
	wait_for 30 test -e "$work/text" \
		|| { echo "FAILED: the GTK application did not show"; cat "$work/app.log"; exit 1; }
}

# One wtype process for the whole sentence: each virtual keyboard that
# comes or goes makes the compositor re-activate the text input, which
# ends a composition. (wtype types a blank between two texts in a row.)
type_sentence() {
	wtype -s 1500 -d 40 "Nihongo woKaKi" -k space -k x "masu." \
		-k Return "Kanji" -k space -k Return
	local expected=$'日本語を書きます。\n漢字\n'
	printf '%s' "$expected" > "$work/expected"
	if ! wait_for 30 cmp -s "$work/expected" "$work/text"; then
		echo "FAILED: the text view holds"
		cat "$work/text"; echo "instead of"; printf '%s' "$expected"
		exit 1
	fi
	echo "ok: the text view holds what was typed, through $1"
}

case $mode in
wayland-fcitx5)
	start_sway
	start_fcitx5 ",wayland,waylandim"
	start_text_view
	type_sentence "fcitx5 on Wayland"
	stop_fcitx5
	wait_for 20 dictionary_has "漢字" \
		|| { echo "FAILED: 漢字 is not in .nuv-jisyo after fcitx5 ended"; exit 1; }
	echo "ok: 漢字 saved to .nuv-jisyo when fcitx5 ended"
	;;
wayland-ibus)
	start_sway
	export IBUS_COMPONENT_PATH=$build/ibus:/usr/share/ibus/component
	ibus-daemon --panel=disable --emoji-extension=disable --cache=none \
		--config=/usr/libexec/ibus-memconf > "$work/daemon.log" 2>&1 &
	pids+=($!)
	daemon_ready() {
		local address
		address=$(ibus address 2> /dev/null) && [ "$address" != "(null)" ]
	}
	wait_for 30 daemon_ready || { echo "FAILED: ibus-daemon did not start"; exit 1; }
	engine_is_nuvim() {
		ibus engine nuvim > /dev/null 2>&1 || true
		[ "$(ibus engine 2> /dev/null)" = nuvim ]
	}
	GTK_IM_MODULE=ibus start_text_view
	wait_for 30 engine_is_nuvim \
		|| { echo "FAILED: the engine nuvim cannot be set"; exit 1; }
	type_sentence "IBus on Wayland"
	ibus exit > /dev/null 2>&1 || true
	;;
*)
	echo "unknown scenario $mode"
	exit 2
	;;
esac
