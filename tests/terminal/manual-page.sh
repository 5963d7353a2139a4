#!/usr/bin/env bash
# The manual page and the README name the options and key-script tokens that
# the program has, no more and no fewer.
#	manual-page.sh NUVIM SOURCE_DIR
set -euo pipefail
nuvim=$1
source=$2
page=$source/terminal/nuvim.1
readme=$source/README.md
status=0

same() {	# same WHAT EXPECTED ACTUAL
	if [ "$2" != "$3" ]; then
		echo "$1 differ:"
		diff <(tr ' ' '\n' <<<"$2") <(tr ' ' '\n' <<<"$3") || true
		status=1
	fi
}
words() { grep -oE "$1" | sort -u | tr '\n' ' '; }

options=$("$nuvim" --help | words '\-\-[a-z]+')
same "options of nuvim --help and nuvim.1" "$options" \
	"$(sed 's/\\-/-/g' "$page" | words '\-\-[a-z]+')"
same "options of nuvim --help and the README's batch mode" "$options" \
	"$( (sed -n '/^## Batch mode/,/^## /p' "$readme"; echo --help) \
		| words '\-\-[a-z]+')"

# Named keys and actions as the parser knows them, and the three forms with
# a character.
tokens=$( (sed -n '/kNamedKeys\[\]/,/^};/p;/kNamedActions\[\]/,/^};/p' \
		"$source/host/KeyScript.cpp" | grep -oE '^\s*\{"[a-z-]+"' \
		| grep -oE '[a-z-]+'; echo C-x; echo cmd-x; echo opt-x) \
	| sed 's/.*/<&>/' | sort -u | tr '\n' ' ')
same "key-script tokens of the parser and nuvim.1" "$tokens" \
	"$(sed -n '/^\.SH KEY SCRIPTS/,/^\.SH /p' "$page" | sed 's/\\-/-/g' \
		| sed -E 's/^\.BI <([a-zA-Z]+-) x >/<\1x>/' | words '<[a-zA-Z-]+>')"
same "key-script tokens of the parser and the README's batch mode" "$tokens" \
	"$(sed -n '/^## Batch mode/,/^## /p' "$readme" | sed 's/<name>//g' \
		| words '<[a-zA-Z-]+>')"
exit $status
